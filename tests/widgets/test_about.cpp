// The About and Help windows: what they show and how many of them there are.
#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "about/Credits.h"
#include "about/Pictures.h"
#include "about/winHelp.h"
#include "app/App.h"
#include "framework/Controls.h"

namespace {

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        _RuntimeRegisterAppObject(app);
        _ApplicationAddMenuHandlers();
    }
    void TearDown() override
    {
        for (const auto& w : OpenWindows()) w->Close();
        pumpEvents();
        _RuntimeRegisterAppObject(saved);
    }
    template <class C>
    static Ref<C> control(const Ref<Window>& w, const char* name)
    {
        return RuntimeCheckCast<C>(NilCheck(w)->ControlByName(name));
    }

    const Ref<Application> saved = _GetAppObject();
    const Ref<App> app = std::make_shared<App>();
};

TEST_F(AboutTest, VersionLineAndLayoutFollowTheirSettings)
{
    const struct {
        int32_t stage;
        const char* shown;
        bool withCredits;
        int32_t height, badgeTop;
    } cases[] = {
        {0, "Version 1.2.3 (Dev. 4)", false, 218, 176}, {1, "Version 1.2.3a (4)", true, 366, 324},
        {2, "Version 1.2.3b (4)", false, 218, 176},     {3, "Version 1.2.3 (4)", true, 366, 324},
        {5, "Version 1.2.3", true, 366, 324},
    };
    const auto w = AboutWindow::Instance();
    std::tie(app->MajorVersion, app->MinorVersion, app->BugVersion, app->NonReleaseVersion) = std::tuple(1, 2, 3, 4);
    for (const auto& c : cases) {
        app->StageCode = c.stage;
        w->Show(c.withCredits);
        EXPECT_EQ(AboutWindow::Instance(), w);
        EXPECT_EQ(control<StaticText>(w, "StatAppVersion")->Text(), String(c.shown));
        EXPECT_EQ(control<EditField>(w, "EditAppCredits")->Visible(), c.withCredits);
        EXPECT_EQ(std::pair(w->Height(), control<Canvas>(w, "KvIconCanvas")->Top()), std::pair(c.height, c.badgeTop));
    }
}

// The credits' headings are bold and the disclaimer's text small, on the real field.
TEST_F(AboutTest, CreditsShowTheirStyles)
{
    const auto w = AboutWindow::Instance();
    const auto field = control<EditField>(w, "EditAppCredits");
    w->Show(true);
    const String shown = field->Text();
    const int32_t disclaimer = InStr(shown, "Disclaimer:") - 1, small = InStr(shown, "THIS ") - 1;
    const struct {
        int32_t start, length;
        bool bold;
        int32_t size;
    } parts[] = {{InStr(shown, "Author:") - 1, 7, true, 12}, {disclaimer - 3, 3, false, 12},
                 {disclaimer, 11, true, 12}, {small, Len(shown) - small, false, 10}};
    for (const auto& p : parts) {
        field->SetSelStart(p.start);
        field->SetSelLength(p.length);
        EXPECT_EQ(std::pair(field->SelBold(), field->SelTextSize()), std::pair(p.bold, double(p.size))) << p.start;
    }
}

// The icon and the badge are drawn through their masks: the corners let the background through.
TEST_F(AboutTest, PicturesAreDrawnThroughTheirMasks)
{
    const auto w = AboutWindow::Instance();
    w->Show(true);
    for (const char* name : {"AppIconCanvas", "KvIconCanvas"}) {
        const auto canvas = control<Canvas>(w, name);
        auto shown = Picture::New(canvas->Width(), canvas->Height(), 32);
        auto g = shown->Graphics();
        g->SetForeColor(0xFF0000);
        g->FillRect(0, 0, canvas->Width(), canvas->Height());
        canvas->raisePaint(*g);
        EXPECT_EQ(shown->Pixel(0, 0).Rgb(), 0xFF0000u) << name;
        EXPECT_NE(shown->Pixel(32, 15).Rgb(), 0xFF0000u) << name;
    }
    EXPECT_EQ(CachedPictureItem(3)->Width(), 216);

    std::vector<String> opened;
    const auto previous = SetUrlOpener([&opened](const String& address) { opened.push_back(address); });
    EXPECT_FALSE(control<Canvas>(w, "KvIconCanvas")->raiseMouseDown(3, 4));
    EXPECT_FALSE(control<Canvas>(w, "AppIconCanvas")->raiseMouseDown(3, 4));
    SetUrlOpener(previous);
    EXPECT_EQ(opened, std::vector<String>{BadgeAddress()}) << "the badge alone opens its page";
}

// Each Help menu command shows one window; once it is closed the next builds it afresh.
TEST_F(AboutTest, HelpCommandsKeepOneWindowUntilItIsClosed)
{
    for (const auto& [item, className] : {std::pair{"HelpHelp", winHelp::kClassName},
                                          std::pair{"HelpAboutQuibZerevarove", AboutWindow::kClassName}}) {
        SCOPED_TRACE(item);
        ASSERT_TRUE(app->HandleMenuItem(item));
        const auto first = _GetImplicitWindow(className);
        ASSERT_TRUE(first && first->Visible());
        ASSERT_TRUE(app->HandleMenuItem(item));
        EXPECT_EQ(_GetImplicitWindow(className), first);
        EXPECT_EQ(OpenWindows().size(), 1u);
        if (auto ok = RuntimeCheckCast<PushButton>(first->ControlByName("PushButton1"))) ok->Push();
        else first->Close();
        EXPECT_FALSE(first->IsOpen());
        ASSERT_TRUE(app->HandleMenuItem(item));
        EXPECT_NE(_GetImplicitWindow(className), first);
        EXPECT_EQ(_GetImplicitWindow(className)->Height(), first->Height());
        _GetImplicitWindow(className)->Close();
    }
}

} // namespace
