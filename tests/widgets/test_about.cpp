// The About and Help windows: what they show and how many of them there are.
#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "about/Credits.h"
#include "about/CreditsMarkup.h"
#include "about/Pictures.h"
#include "about/winHelp.h"
#include "app/App.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

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
        EXPECT_EQ(std::tuple(w->Height(), control<Canvas>(w, "KvIconCanvas")->Top(),
                             control<StaticText>(w, "StatAppCopyright")->Top()),
                  std::tuple(c.height, c.badgeTop, c.height - 86));
    }
    // The labels' places and text, as they are shown.
    for (const auto& [name, left, top, bold, size] : {std::tuple{"StatAppName", 20, 86, true, 14.0},
                                                      {"StatAppVersion", 20, 112, false, 10.0},
                                                      {"StatAppCopyright", 20, 280, false, 10.0}}) {
        const auto label = control<StaticText>(w, name);
        const QFont font = label->priv().widget->font();
        EXPECT_EQ(std::tuple(label->Left(), label->Top(), font.bold(), qtPointsToLayout(font.pointSizeF()),
                             font.underline()),
                  std::tuple(left, top, bold, size, false)) << name;
    }
}

// Tags become styles on the real field, which ends up unscrolled with the caret at the start.
TEST_F(AboutTest, CreditsMarkupBecomesStyles)
{
    const auto w = AboutWindow::Instance();
    const auto field = control<EditField>(w, "EditAppCredits");
    // The text cut into runs of one style, written "text" or "text:b", ":i" and ":<size>" when not 12.
    const auto runs = [&field] {
        std::vector<std::string> out;
        std::string last;
        for (int32_t i = 0; i < Len(field->Text()); ++i) {
            field->SetSelStart(i);
            field->SetSelLength(1);
            const double size = field->SelTextSize();
            const std::string style = std::string(field->SelBold() ? ":b" : "") + (field->SelItalic() ? ":i" : "") +
                                      (size == 12 ? "" : ":" + std::to_string(int(size)));
            if (out.empty() || style != last) out.push_back(style);
            out.back().insert(out.back().size() - style.size(), field->SelText().ToUtf8());
            last = style;
        }
        return out;
    };
    const struct {
        String text;
        std::vector<std::string> shown;
    } cases[] = {
        {"plain > text", {"plain > text"}},
        {"<b>Author:</b> me", {"Author::b", " me"}},
        {"<i>a</i>b", {"a:i", "b"}},
        {"a</b>b", {"ab"}},
        {"<b><b>x</b>y", {"x:b", "y"}},
        // Sizes are saved, not stacked.
        {"<font size=\"10\">a<font size=\"20\">b</font>c</font>d", {"a:10", "b:20", "cd:10"}},
        {"<font color=\"#FF0000\" size=\"14\">a", {"a"}}, // the first quoted part is no size
        {"<font size=\"14>a", {"a:14"}},
        {"<font size=\"10.6\">a", {"a:11"}},
        {"<big>a<bold>b<font-size=\"9\">c", {"abc"}},
        {"a>b<b>c", {"a>b", "c:b"}},
        {"<b <i>x<b<i>y", {"xy:b"}},
        {"x<b>y<z <i", {"x", "y<z <i:b"}},
    };
    for (const auto& c : cases) {
        field->SetScrollPosition(30);
        SetMarkupText(*field, c.text, true);
        EXPECT_EQ(std::pair(field->SelStart(), field->SelLength()), std::pair(0, 0)) << c.text;
        EXPECT_EQ(field->ScrollPosition(), 0) << c.text;
        EXPECT_EQ(runs(), c.shown) << c.text;
    }
    // The credits as shown again: two bold headings, then the disclaimer's text in 10 points.
    w->Show(true);
    const auto credits = runs();
    ASSERT_EQ(credits.size(), 4u) << ::testing::PrintToString(credits);
    EXPECT_EQ(credits[0] + credits[2], "Author::b\nDisclaimer::b");
    EXPECT_TRUE(credits[3].ends_with(":10"));
    EXPECT_EQ(Len(String(credits[3])), 1 + 597 + 3);
    // Without mark-up the tags stay as text, and the selection and the scroll position where they were.
    field->SetSelStart(40);
    field->SetSelLength(5);
    field->SetScrollPosition(5);
    const int32_t scrolled = field->ScrollPosition();
    SetMarkupText(*field, CreditsText(), false);
    EXPECT_EQ(std::tuple(Len(field->Text()), field->SelStart(), field->SelLength(), field->ScrollPosition()),
              std::tuple(Len(CreditsText()), 40, 5, scrolled));
    EXPECT_GT(scrolled, 0);
}

// Every pixel of the icon and the badge as painted over a red background: where
// the mask is white the red shows, where it is black the picture. The icon is
// scaled to 64 x 64, so each pixel shows a square of the picture's, in colours
// within that square's. Pixels on the mask's soft edge are left out.
TEST_F(AboutTest, PicturesAreDrawnThroughTheirMasks)
{
    constexpr uint32_t kRed = 0xFF0000;
    const auto w = AboutWindow::Instance();
    w->Show(true);
    for (const auto& [name, picture, mask] : {std::tuple{"AppIconCanvas", AboutIcon(), AboutMask()},
                                              std::tuple{"KvIconCanvas", MwKvHzMd(), MwKvHzMdMask()}}) {
        SCOPED_TRACE(name);
        const auto canvas = control<Canvas>(w, name);
        ASSERT_TRUE(canvas->Visible() && picture && mask);
        auto shown = Picture::New(canvas->Width(), canvas->Height(), 32);
        auto g = shown->Graphics();
        g->SetForeColor(kRed);
        g->FillRect(0, 0, canvas->Width(), canvas->Height());
        canvas->raisePaint(*g);
        const int32_t scale = name == std::string("AppIconCanvas") ? picture->Width() / 64 : 1;
        int out = 0, in = 0;
        for (int32_t y = 0; y < canvas->Height(); ++y)
            for (int32_t x = 0; x < canvas->Width(); ++x) {
                // The square's colours per channel and its mask, 0 black to 255 white, or -1 when mixed.
                int low[3] = {255, 255, 255}, high[3] = {}, maskShade = -2;
                for (int32_t v = y * scale; v < (y + 1) * scale; ++v)
                    for (int32_t u = x * scale; u < (x + 1) * scale; ++u) {
                        const Color c = picture->Pixel(u, v);
                        const int rgb[3] = {c.r, c.g, c.b};
                        for (int i = 0; i < 3; ++i)
                            low[i] = std::min(low[i], rgb[i]), high[i] = std::max(high[i], rgb[i]);
                        const int m = mask->Pixel(u, v).r;
                        maskShade = maskShade == -2 || maskShade == m ? m : -1;
                    }
                const Color seen = shown->Pixel(x, y);
                const int got[3] = {seen.r, seen.g, seen.b};
                if (maskShade == 255) {
                    ++out;
                    ASSERT_EQ(seen.Rgb(), kRed) << x << ", " << y << " is masked out";
                } else if (maskShade == 0) {
                    ++in;
                    for (int i = 0; i < 3; ++i) {
                        ASSERT_GE(got[i], low[i] - (scale - 1)) << x << ", " << y << " channel " << i;
                        ASSERT_LE(got[i], high[i] + (scale - 1)) << x << ", " << y << " channel " << i;
                    }
                }
            }
        EXPECT_GT(in, canvas->Width() * canvas->Height() * 3 / 4);
        EXPECT_GT(out, 0);
    }
}

// A real press on the badge opens its page once; one on the icon nothing.
TEST_F(AboutTest, PressingTheBadgeOpensItsPage)
{
    const auto w = AboutWindow::Instance();
    w->Show(true);
    std::vector<String> opened;
    const auto previous = SetUrlOpener([&opened](const String& address) { opened.push_back(address); });
    for (const auto& [name, opens] : {std::pair{"AppIconCanvas", 0u}, std::pair{"KvIconCanvas", 1u}}) {
        opened.clear();
        click(control<Canvas>(w, name)->priv().widget, QPoint(30, 15));
        EXPECT_EQ(opened, std::vector<String>(opens, BadgeAddress())) << name;
    }
    SetUrlOpener(previous);
}

// Each Help menu command shows one window of its declared size and texts. The
// Help window closes on a click on its OK button, the About window on its close
// control; the next command then builds the window afresh.
TEST_F(AboutTest, HelpCommandsKeepOneWindowUntilItIsClosed)
{
    const struct {
        const char *item, *className;
        int32_t width, height;
        const char *title, *label, *text;
        bool okButton;
    } cases[] = {
        {"HelpHelp", winHelp::kClassName, 300, 86, "Help", "StaticText1", "Help is not available", true},
        {"HelpAboutQuibZerevarove", AboutWindow::kClassName, 284, 366, "", "StatAppName", "Quib Zerevarove", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        ASSERT_TRUE(app->HandleMenuItem(c.item));
        const auto first = _GetImplicitWindow(c.className);
        ASSERT_TRUE(first && first->Visible());
        ASSERT_TRUE(app->HandleMenuItem(c.item));
        EXPECT_EQ(_GetImplicitWindow(c.className), first);
        EXPECT_EQ(OpenWindows().size(), 1u);
        const auto looks = [&c](const Ref<Window>& w) {
            return std::tuple(w->Width(), w->Height(), w->Title(), control<StaticText>(w, c.label)->Text());
        };
        const auto declared = std::tuple(c.width, c.height, String(c.title), String(c.text));
        EXPECT_EQ(looks(first), declared);
        first->SetWidth(c.width + 50);
        if (c.okButton) {
            const auto ok = control<PushButton>(first, "PushButton1");
            ASSERT_TRUE(ok);
            EXPECT_EQ(ok->Caption(), String("OK"));
            click(first->priv().content, QPoint(150, 56)); // the middle of the declared button
        } else {
            first->priv().frame->close();
        }
        EXPECT_FALSE(first->IsOpen());
        ASSERT_TRUE(app->HandleMenuItem(c.item));
        const auto next = _GetImplicitWindow(c.className);
        EXPECT_NE(next, first);
        EXPECT_EQ(looks(next), declared) << "nothing carries over from the closed window";
        next->Close();
    }
}

} // namespace
