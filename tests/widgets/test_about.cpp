#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "about/Credits.h"
#include "about/CreditsMarkup.h"
#include "app/App.h"
#include "framework/Controls.h"

namespace {

// An application object of the program's own class with its menu handlers
// bound, replacing whatever a test before had registered.
class AboutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        _RuntimeRegisterAppObject(app);
        _ApplicationAddMenuHandlers();
    }
    void TearDown() override
    {
        for (const auto& w : OpenWindows())
            if (RuntimeCheckCast<AboutWindow>(w)) w->Close();
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

TEST_F(AboutTest, VersionLineFollowsTheStageCode)
{
    const struct {
        int32_t major, minor, bug, stage, nonRelease;
        const char* shown;
    } cases[] = {
        {1, 2, 3, 0, 4, "Version 1.2.3 (Dev. 4)"}, {1, 2, 3, 1, 4, "Version 1.2.3a (4)"},
        {1, 2, 3, 2, 4, "Version 1.2.3b (4)"},     {1, 2, 3, 3, 4, "Version 1.2.3 (4)"},
        {1, 2, 3, 5, 4, "Version 1.2.3"},          {1, 2, 3, -1, 4, "Version 1.2.3"},
        {0, 0, 0, 3, 0, "Version 0.0.0 (0)"},
    };
    const auto w = AboutWindow::Instance();
    for (const auto& c : cases) {
        app->MajorVersion = c.major;
        app->MinorVersion = c.minor;
        app->BugVersion = c.bug;
        app->StageCode = c.stage;
        app->NonReleaseVersion = c.nonRelease;
        w->Show(false);
        EXPECT_EQ(control<StaticText>(w, "StatAppVersion")->Text(), String(c.shown));
    }
    EXPECT_EQ(control<StaticText>(w, "StatAppName")->Text(), String("Quib Zerevarove"));
    const auto notice = Split(CopyrightNotice(), Chr(13));
    EXPECT_EQ(control<StaticText>(w, "StatAppCopyright")->Text(), notice.at(0) + "\n" + notice.at(1));

    // Without an application object there is no version to show.
    _RuntimeRegisterAppObject(nullptr);
    EXPECT_THROW(w->Show(true), NilObjectException);
}

TEST_F(AboutTest, ShowSwitchesBetweenTheTwoLayouts)
{
    const auto w = AboutWindow::Instance();
    const auto credits = control<EditField>(w, "EditAppCredits");
    const auto top = [&w](const char* name) { return control<RectControl>(w, name)->Top(); };
    const struct {
        bool withCredits;
        int32_t height, copyrightTop, badgeTop;
    } steps[] = {{false, 218, 132, 176}, {true, 366, 280, 324}, {false, 218, 132, 176}, {true, 366, 280, 324}};
    for (const auto& s : steps) {
        w->Show(s.withCredits);
        EXPECT_EQ(AboutWindow::Instance(), w) << "one window for every Show";
        EXPECT_EQ(credits->Visible(), s.withCredits);
        EXPECT_EQ(w->Height(), s.height) << s.withCredits;
        EXPECT_EQ(top("StatAppCopyright"), s.copyrightTop) << s.withCredits;
        EXPECT_EQ(top("KvIconCanvas"), s.badgeTop) << s.withCredits;
    }
    // The field follows the window's edges and is back in its place in the long layout.
    EXPECT_EQ(credits->Top(), 132);
    EXPECT_EQ(credits->Width(), 284);
    EXPECT_EQ(credits->Height(), 140);
}

// Set up a second time from a scrolled field with its last character
// selected: the same styles from the same text.
TEST_F(AboutTest, CreditsShowTheirStyles)
{
    const auto w = AboutWindow::Instance();
    const auto field = control<EditField>(w, "EditAppCredits");
    const auto select = [&field](int32_t start, int32_t length) {
        field->SetSelStart(start);
        field->SetSelLength(length);
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        field->SetScrollPosition(30);
        select(Len(field->Text()) - 1, 1);
        w->Show(true);
        EXPECT_EQ(field->SelLength(), 0);
        EXPECT_EQ(field->SelStart(), 0);
        EXPECT_EQ(field->ScrollPosition(), 0);
        const String shown = field->Text();
        EXPECT_EQ(Len(shown), Len(CreditsText()) - 37);

        const int32_t author = InStr(shown, "Author:") - 1, disclaimer = InStr(shown, "Disclaimer:") - 1;
        const int32_t small = InStr(shown, "THIS ") - 1;
        ASSERT_TRUE(author >= 0 && disclaimer > author && small > disclaimer);
        const struct {
            int32_t start, length;
            bool bold;
            int32_t size;
        } parts[] = {
            {author, Len("Author:"), true, 12},
            {author + Len("Author:"), disclaimer - author - Len("Author:"), false, 12},
            {disclaimer, Len("Disclaimer:"), true, 12},
            {small, Len(shown) - small, false, 10},
            {Len(shown) - 1, 1, false, 10},
        };
        for (const auto& p : parts) {
            select(p.start, p.length);
            EXPECT_EQ(field->SelBold(), p.bold) << p.start;
            EXPECT_FALSE(field->SelItalic()) << p.start;
            EXPECT_EQ(field->SelTextSize(), p.size) << p.start;
        }
        EXPECT_EQ(Len(shown) - small, 597);
    }
    // Without mark-up the tags stay as text, and the selection and the scroll position where they were.
    select(40, 5);
    field->SetScrollPosition(5);
    const int32_t scrolled = field->ScrollPosition();
    SetMarkupText(*field, CreditsText(), false);
    EXPECT_EQ(std::tuple(Len(field->Text()), field->SelStart(), field->SelLength(), field->ScrollPosition()),
              std::tuple(Len(CreditsText()), 40, 5, scrolled));
    EXPECT_GT(scrolled, 0);
}

TEST_F(AboutTest, HelpAboutKeepsOneWindowUntilItIsClosed)
{
    const auto openAboutWindows = [] {
        int n = 0;
        for (const auto& w : OpenWindows()) n += RuntimeCheckCast<AboutWindow>(w) != nullptr;
        return n;
    };
    ASSERT_TRUE(app->HandleMenuItem("HelpAboutQuibZerevarove"));
    const auto first = RuntimeCheckCast<AboutWindow>(_GetImplicitWindow(AboutWindow::kClassName));
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->Visible());
    ASSERT_TRUE(app->HandleMenuItem("HelpAboutQuibZerevarove"));
    EXPECT_EQ(_GetImplicitWindow(AboutWindow::kClassName), first);
    EXPECT_EQ(openAboutWindows(), 1);

    first->Show(false);
    first->Close();
    EXPECT_FALSE(_GetImplicitWindow(AboutWindow::kClassName));
    ASSERT_TRUE(app->HandleMenuItem("HelpAboutQuibZerevarove"));
    const auto second = _GetImplicitWindow(AboutWindow::kClassName);
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(openAboutWindows(), 1);
    EXPECT_EQ(second->Height(), 366) << "a fresh window in the long layout";
}

} // namespace
