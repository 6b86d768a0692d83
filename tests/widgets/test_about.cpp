#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "about/Credits.h"
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
    static int openAboutWindows()
    {
        int n = 0;
        for (const auto& w : OpenWindows()) n += RuntimeCheckCast<AboutWindow>(w) != nullptr;
        return n;
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
        {1, 2, 3, 0, 4, "Version 1.2.3 (Dev. 4)"},
        {1, 2, 3, 1, 4, "Version 1.2.3a (4)"},
        {1, 2, 3, 2, 4, "Version 1.2.3b (4)"},
        {1, 2, 3, 3, 4, "Version 1.2.3 (4)"},
        {1, 2, 3, 5, 4, "Version 1.2.3"},
        {1, 2, 3, -1, 4, "Version 1.2.3"},
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
        EXPECT_EQ(control<StaticText>(w, "StatAppVersion")->Text(), String(c.shown)) << c.shown;
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
        bool creditsVisible;
        int32_t height, copyrightTop, badgeTop;
    } steps[] = {{false, false, 218, 132, 176}, {true, true, 366, 280, 324}, {false, false, 218, 132, 176}};
    for (const auto& s : steps) {
        w->Show(s.withCredits);
        EXPECT_EQ(AboutWindow::Instance(), w) << "one window for every Show";
        EXPECT_EQ(credits->Visible(), s.creditsVisible) << s.withCredits;
        EXPECT_EQ(w->Height(), s.height) << s.withCredits;
        EXPECT_EQ(w->Width(), 284);
        EXPECT_EQ(top("StatAppCopyright"), s.copyrightTop) << s.withCredits;
        EXPECT_EQ(top("KvIconCanvas"), s.badgeTop) << s.withCredits;
        EXPECT_EQ(top("AppIconCanvas"), 8);
        EXPECT_EQ(top("StatAppName"), 86);
        EXPECT_EQ(top("StatAppVersion"), 112);
    }
    // The field follows the window's edges and is back in its place in the long layout.
    w->Show(true);
    EXPECT_EQ(credits->Left(), 0);
    EXPECT_EQ(credits->Top(), 132);
    EXPECT_EQ(credits->Width(), 284);
    EXPECT_EQ(credits->Height(), 140);
    EXPECT_TRUE(w->Visible());
}

TEST_F(AboutTest, CreditsShowTheirStyles)
{
    const auto w = AboutWindow::Instance();
    const auto field = control<EditField>(w, "EditAppCredits");
    const auto select = [&field](const char* what, int32_t length = -1) {
        const int32_t at = InStr(field->Text(), what);
        EXPECT_GT(at, 0) << what;
        field->SetSelStart(at - 1);
        field->SetSelLength(length < 0 ? Len(what) : length);
    };
    const auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(field->SelLength(), 0);
        EXPECT_EQ(field->SelStart(), 0);
        EXPECT_EQ(field->ScrollPosition(), 0);
        EXPECT_EQ(Len(field->Text()), Len(CreditsText()) - 37);
        EXPECT_EQ(InStr(field->Text(), "<"), 0);

        const String shown = field->Text();
        const int32_t disclaimerAt = InStr(shown, "THIS ");
        ASSERT_GT(disclaimerAt, 0);
        for (const char* heading : {"Author:", "Disclaimer:"}) {
            select(heading);
            EXPECT_TRUE(field->SelBold()) << heading;
            EXPECT_EQ(field->SelTextSize(), 12) << heading;
        }
        // Everything between the headings and up to the disclaimer is plain, 12 points.
        select("Author:");
        field->SetSelStart(Len("Author:"));
        field->SetSelLength(InStr(shown, "Disclaimer:") - 1 - Len("Author:"));
        EXPECT_FALSE(field->SelBold());
        EXPECT_FALSE(field->SelItalic());
        EXPECT_EQ(field->SelTextSize(), 12);
        field->SetSelStart(disclaimerAt - 1);
        field->SetSelLength(Len(shown));
        EXPECT_EQ(Len(field->SelText()), 597);
        EXPECT_FALSE(field->SelBold());
        EXPECT_EQ(field->SelTextSize(), 10);
        field->SetSelStart(Len(shown) - 1);
        field->SetSelLength(1);
        EXPECT_EQ(field->SelTextSize(), 10) << "the last character";
    };
    w->Show(true);
    check("first show");
    // Set up again from the last character, scrolled away: the same styles from the same text.
    field->SetScrollPosition(30);
    field->SetSelStart(Len(field->Text()) - 1);
    field->SetSelLength(1);
    w->Show(true);
    check("second show");
}

TEST_F(AboutTest, HelpAboutKeepsOneWindowUntilItIsClosed)
{
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
    EXPECT_EQ(second->Height(), 366);
    EXPECT_TRUE(control<EditField>(second, "EditAppCredits")->Visible());
}

} // namespace
