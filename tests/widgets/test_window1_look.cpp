// The main window's look, moving and resizing by mouse, and its contextual menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "app/App.h"
#include "core/Window1.h"
#include "framework/Controls.h"
#include "framework/Window_p.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kPanel = 0x222222;
constexpr uint32_t kGreen = 0x00FF00;

// Records what the framework asks of the main window, then does what it does.
class LookProbe : public Window1 {
public:
    std::vector<std::pair<int32_t, int32_t>> sizes; // Width, Height at each Resizing event
    int resized = 0;
    std::vector<bool> downs;

    void Event_Resizing() override
    {
        sizes.emplace_back(Width(), Height());
        Window1::Event_Resizing();
    }
    void Event_Resized() override
    {
        ++resized;
        Window1::Event_Resized();
    }
    bool Event_MouseDown(int32_t x, int32_t y) override
    {
        downs.push_back(Window1::Event_MouseDown(x, y));
        return downs.back();
    }
    void forget()
    {
        sizes.clear();
        resized = 0;
        downs.clear();
    }
};

struct State {
    int32_t mouseX, mouseY, left0, top0;
    bool resizing;
    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& os, const State& s)
{
    return os << "MouseX " << s.mouseX << " MouseY " << s.mouseY << " mLeft " << s.left0 << " mTop " << s.top0
              << " mResizing " << s.resizing;
}

State stateOf(const Window1& w) { return {w.mouseX(), w.mouseY(), w.left0(), w.top0(), w.resizing()}; }

class LookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        ASSERT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "a main window is still open";
        std::filesystem::remove(prefsPath());
        ApplicationTesting::Reset();
        // No menu strip: the look does not depend on one.
        _RuntimeRegisterAppObject(nullptr);
    }
    void TearDown() override
    {
        for (const auto& w : OpenWindows()) w->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
        _RuntimeRegisterAppObject(m_savedApp);
    }

    static std::filesystem::path prefsPath()
    {
        return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "QuibZerevarovePrefs.plist";
    }

    Ref<LookProbe> open(int32_t width = 400, int32_t height = 120)
    {
        auto w = std::make_shared<LookProbe>();
        w->Construct();
        w->SetWidth(width);
        w->SetHeight(height);
        pumpEvents(5);
        w->forget();
        return w;
    }

    // A mouse event as the window system delivers it; the local position is
    // deliberately stale, as it is while the window is being dragged. For a
    // move, button is the button held.
    static void mouse(const Ref<Window1>& w, QEvent::Type type, int32_t screenX, int32_t screenY,
                      Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(0, 0), QPointF(screenX, screenY), changed, held, mods);
        QCoreApplication::sendEvent(w->priv().content, &e);
    }

    const Ref<Application> m_savedApp = _GetAppObject();
};

using PixelAt = std::function<uint32_t(int32_t, int32_t)>;

// Black outside the rounded panel, a 3-pixel green line 10 pixels inside the
// edge, dark grey within it.
void expectLook(const PixelAt& px, int32_t w, int32_t h)
{
    SCOPED_TRACE(::testing::Message() << w << " x " << h);
    EXPECT_EQ(px(0, 0), kBlack);
    EXPECT_EQ(px(w - 1, h - 1), kBlack);
    EXPECT_EQ(px(10, 10), kBlack) << "rounded corner";
    EXPECT_EQ(px(w - 11, h - 11), kBlack) << "rounded corner";
    EXPECT_EQ(px(15, h / 2), kPanel);
    // Across each edge's middle: black, three green, then the panel.
    const struct {
        const char* edge;
        std::function<std::pair<int32_t, int32_t>(int32_t)> at; // pixel at depth d from the edge
    } edges[] = {
        {"left", [&](int32_t d) { return std::pair{d, h / 2}; }},
        {"right", [&](int32_t d) { return std::pair{w - 1 - d, h / 2}; }},
        {"top", [&](int32_t d) { return std::pair{w / 2, d}; }},
        {"bottom", [&](int32_t d) { return std::pair{w / 2, h - 1 - d}; }},
    };
    const uint32_t expected[] = {kBlack, kBlack, kGreen, kGreen, kGreen, kPanel};
    for (const auto& e : edges)
        for (int32_t d = 8; d <= 13; ++d) {
            const auto [x, y] = e.at(d);
            EXPECT_EQ(px(x, y), expected[d - 8]) << e.edge << " edge, " << d << " pixels in";
        }
}

TEST_F(LookTest, DrawPaintsBlackPanelAndGreenOutlineAtAnySize)
{
    auto w = open();
    const std::pair<int32_t, int32_t> sizes[] = {{400, 120}, {250, 90}, {100, 60}, {1000, 61}};
    for (const auto& [width, height] : sizes) {
        auto picture = NewPicture(width, height, 32);
        // Whatever the target held before is painted over.
        auto g = picture->Graphics();
        g->SetForeColor(0xFFFFFF);
        g->FillRect(0, 0, width, height);
        w->Draw(*g);
        expectLook([&](int32_t x, int32_t y) { return picture->Pixel(x, y).Rgb(); }, width, height);
        // Sharp edges: only the three colours of the look.
        int others = 0;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t c = picture->Pixel(x, y).Rgb();
                others += c != kBlack && c != kPanel && c != kGreen;
            }
        EXPECT_EQ(others, 0) << width << " x " << height;
    }
}

// The window's own surface: painted on demand and at every size change.
TEST_F(LookTest, WindowSurfaceShowsTheLookAtEachSize)
{
    auto w = open();
    const std::pair<int32_t, int32_t> sizes[] = {{400, 120}, {300, 200}, {100, 60}};
    for (const auto& [width, height] : sizes) {
        w->SetWidth(width);
        w->SetHeight(height);
        pumpEvents(5);
        const QImage shown = w->priv().content->grab().toImage();
        ASSERT_EQ(shown.size(), QSize(width, height));
        expectLook([&](int32_t x, int32_t y) { return shown.pixel(x, y) & 0xFFFFFFu; }, width, height);
    }
    // Each size set raises Resizing then Resized, once.
    EXPECT_EQ(w->sizes.size(), 6u);
    EXPECT_EQ(w->resized, 6);
}

TEST_F(LookTest, GripIsTheTenByTenSquareAtTheLowerRightCorner)
{
    auto w = open();
    const struct {
        int32_t width, height, x, y;
        bool in;
    } cases[] = {
        {400, 120, 390, 110, true}, {400, 120, 389, 110, false}, {400, 120, 390, 109, false},
        {400, 120, 399, 119, true}, {400, 120, 5000, 900, true},  {400, 120, 0, 119, false},
        {100, 60, 90, 50, true},    {100, 60, 89, 59, false},     {100, 60, 99, 49, false},
    };
    for (const auto& c : cases) {
        w->SetWidth(c.width);
        w->SetHeight(c.height);
        EXPECT_EQ(w->IsInLowerRightCorner(c.x, c.y), c.in) << c.width << " x " << c.height << " at " << c.x << ", " << c.y;
    }
}

TEST_F(LookTest, CursorIsDiagonalOverTheGripOnly)
{
    auto w = open();
    const auto content = w->priv().content;
    const struct {
        int32_t x, y;
        MouseCursor cursor;
        Qt::CursorShape shape;
    } moves[] = {
        {395, 115, ArrowNorthwestSoutheast, Qt::SizeFDiagCursor},
        {200, 5, ArrowCursor, Qt::ArrowCursor},
        {390, 110, ArrowNorthwestSoutheast, Qt::SizeFDiagCursor},
        {389, 110, ArrowCursor, Qt::ArrowCursor},
    };
    for (const auto& m : moves) {
        mouse(w, QEvent::MouseMove, w->Left() + m.x, w->Top() + m.y, Qt::NoButton);
        EXPECT_EQ(w->CurrentMouseCursor(), m.cursor) << m.x << ", " << m.y;
        EXPECT_EQ(content->cursor().shape(), m.shape) << m.x << ", " << m.y;
    }
    EXPECT_TRUE(w->downs.empty()) << "moves with the button up are no presses";
}

// Sizes change by the delta, never below 100 x 60; width first; a dimension
// whose delta is 0 is not set, one at its minimum is set again.
TEST_F(LookTest, ResizeWindowAppliesTheDeltaWithinTheMinimum)
{
    using Sets = std::vector<std::pair<int32_t, int32_t>>;
    const struct {
        const char* name;
        int32_t fromW, fromH, dx, dy;
        Sets sets; // the size after each set, in order
    } cases[] = {
        {"grow right, shrink up", 400, 120, 30, -10, {{430, 120}, {430, 110}}},
        {"far past the minimum", 400, 120, -400, -100, {{100, 120}, {100, 60}}},
        {"height only", 400, 120, 0, 15, {{400, 135}}},
        {"width only", 400, 120, -7, 0, {{393, 120}}},
        {"no movement", 400, 120, 0, 0, {}},
        {"at the minimum width, 5 to the left", 100, 120, -5, 0, {{100, 120}}},
        {"at the minimum, both shrink", 100, 60, -1, -1, {{100, 60}, {100, 60}}},
        {"back from the minimum grows at once", 100, 60, 3, 2, {{103, 60}, {103, 62}}},
    };
    auto w = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        w->SetWidth(c.fromW);
        w->SetHeight(c.fromH);
        w->forget();
        w->ResizeWindow(c.dx, c.dy);
        EXPECT_EQ(w->sizes, c.sets);
        const auto last = c.sets.empty() ? std::pair{c.fromW, c.fromH} : c.sets.back();
        EXPECT_EQ(w->Width(), last.first);
        EXPECT_EQ(w->Height(), last.second);
    }
}

// A press on the body and a drag move the window by the mouse's movement;
// the local positions the system reports are not trusted.
TEST_F(LookTest, DragOnTheBodyMovesTheWindowByTheMouseMovement)
{
    auto w = open();
    w->SetLeft(50);
    w->SetTop(60);
    const int32_t sx = 55, sy = 120; // local (5, 60): the margin left of the field
    mouse(w, QEvent::MouseButtonPress, sx, sy);
    ASSERT_EQ(w->downs, std::vector<bool>{true});
    EXPECT_EQ(stateOf(*w), (State{sx, sy, 50, 60, false}));

    const struct {
        int32_t x, y, left, top;
    } drags[] = {{sx + 30, sy + 20, 80, 80}, {sx + 30, sy + 35, 80, 95}, {sx - 10, sy + 35, 40, 95}, {sx, sy, 50, 60}};
    for (const auto& d : drags) {
        mouse(w, QEvent::MouseMove, d.x, d.y);
        EXPECT_EQ(w->Left(), d.left);
        EXPECT_EQ(w->Top(), d.top);
        EXPECT_EQ(stateOf(*w), (State{d.x, d.y, d.left, d.top, false}));
    }
    EXPECT_EQ(w->Width(), 400);
    EXPECT_EQ(w->Height(), 120);
    EXPECT_TRUE(w->sizes.empty());

    // The same screen position again: nothing is set and nothing read back,
    // though the window has been placed elsewhere meanwhile.
    w->SetLeft(70);
    mouse(w, QEvent::MouseMove, sx, sy);
    EXPECT_EQ(stateOf(*w), (State{sx, sy, 50, 60, false}));
    EXPECT_EQ(w->Left(), 70);
    mouse(w, QEvent::MouseButtonRelease, sx, sy);
    // Released: moves no longer drag.
    mouse(w, QEvent::MouseMove, sx + 40, sy, Qt::NoButton);
    EXPECT_EQ(w->Left(), 70);
}

TEST_F(LookTest, DragFromTheGripResizesAndTheFieldFollows)
{
    auto w = open();
    w->SetLeft(50);
    w->SetTop(60);
    const int32_t sx = 50 + 395, sy = 60 + 115;
    mouse(w, QEvent::MouseButtonPress, sx, sy);
    EXPECT_EQ(stateOf(*w), (State{sx, sy, 50, 60, true}));
    mouse(w, QEvent::MouseMove, sx + 30, sy - 10);
    EXPECT_EQ(w->Width(), 430);
    EXPECT_EQ(w->Height(), 110);
    mouse(w, QEvent::MouseMove, sx + 30, sy - 10); // same place: nothing
    mouse(w, QEvent::MouseMove, sx - 400, sy - 100);
    EXPECT_EQ(w->Width(), 100);
    EXPECT_EQ(w->Height(), 60);
    // From the clamped size, moving back grows at once.
    mouse(w, QEvent::MouseMove, sx - 390, sy - 95);
    EXPECT_EQ(w->Width(), 110);
    EXPECT_EQ(w->Height(), 65);
    EXPECT_EQ(w->Left(), 50);
    EXPECT_EQ(w->Top(), 60);
    EXPECT_EQ(w->EditField1()->Width(), 70);
    EXPECT_EQ(w->EditField1()->Height(), 25);
    EXPECT_EQ(w->sizes.size(), 6u);
    mouse(w, QEvent::MouseButtonRelease, sx - 390, sy - 95);
    EXPECT_TRUE(w->resizing()) << "kept after the release";
    // The next press sets it again.
    mouse(w, QEvent::MouseButtonPress, 50 + 5, 60 + 30);
    EXPECT_FALSE(w->resizing());
}

// A contextual click is left to the framework: no state changes, and the
// framework shows the window's own menu.
TEST_F(LookTest, ContextualClickChangesNothingAndShowsTheMenu)
{
    auto w = open();
    w->SetLeft(50);
    w->SetTop(60);
    mouse(w, QEvent::MouseButtonPress, 50 + 395, 60 + 115);
    mouse(w, QEvent::MouseButtonRelease, 50 + 395, 60 + 115);
    const State before = stateOf(*w);
    ASSERT_TRUE(before.resizing);

    const struct {
        const char* name;
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
    } clicks[] = {{"secondary button", Qt::RightButton, Qt::NoModifier},
                  {"control-click", Qt::LeftButton, Qt::ControlModifier}};
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.name);
        w->forget();
        QStringList shown;
        // The menu runs its own loop; look at it from inside, then dismiss it.
        QTimer::singleShot(0, [&] {
            pumpUntil([] { return QApplication::activePopupWidget() != nullptr; }, 2000);
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (auto* a : menu->actions()) shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
                menu->close();
            }
        });
        mouse(w, QEvent::MouseButtonPress, 50 + 5, 60 + 60, c.button, c.mods);
        EXPECT_EQ(w->downs, std::vector<bool>{false});
        EXPECT_EQ(stateOf(*w), before);
        EXPECT_EQ(shown, QStringList({"About Quib Zerevarove...", "-", "Quit"}));
        mouse(w, QEvent::MouseButtonRelease, 50 + 5, 60 + 60, c.button, c.mods);
        // No drag follows a contextual press.
        mouse(w, QEvent::MouseMove, 50 + 45, 60 + 60, c.button);
        EXPECT_EQ(w->Left(), 50);
        EXPECT_EQ(w->IsOpen(), true);
    }
}

TEST_F(LookTest, ContextualMenuIsBuiltWithItsThreeItems)
{
    auto w = open();
    auto base = std::make_shared<MenuItem>();
    EXPECT_TRUE(w->Event_ConstructContextualMenu(base, 17, 23));
    ASSERT_EQ(base->Count(), 3);
    EXPECT_EQ(base->Item(0)->Text, String("About Quib Zerevarove..."));
    EXPECT_TRUE(base->Item(1)->IsSeparator());
    EXPECT_EQ(base->Item(2)->Text, String("Quit"));
    for (const auto& item : base->Children()) EXPECT_EQ(item->Count(), 0);
}

// Only the two exact texts act; every item is reported handled.
TEST_F(LookTest, ContextualActionsOtherThanAboutAndQuitDoNothing)
{
    auto w = open();
    for (const char* text : {"-", "", "quit", "Quit ", "About", "About Quib Zerevarove\u2026", "QUIT"}) {
        auto item = std::make_shared<MenuItem>();
        item->Constructor(text);
        EXPECT_TRUE(w->Event_ContextualMenuAction(item)) << text;
        EXPECT_EQ(OpenWindows().size(), 1u) << text;
        EXPECT_TRUE(w->IsOpen()) << text;
        EXPECT_FALSE(IsQuitting()) << text;
    }
}

TEST_F(LookTest, ContextualAboutShowsTheAboutWindow)
{
    // The About window reads its version line from the application object.
    _RuntimeRegisterAppObject(std::make_shared<App>());
    auto w = open();
    auto item = std::make_shared<MenuItem>();
    item->Constructor("About Quib Zerevarove...");
    EXPECT_TRUE(w->Event_ContextualMenuAction(item));
    auto about = RuntimeCheckCast<AboutWindow>(_GetImplicitWindow(AboutWindow::kClassName));
    ASSERT_NE(about, nullptr);
    EXPECT_NE(about->ControlByName("EditAppCredits"), nullptr);
    EXPECT_TRUE(w->IsOpen());
    EXPECT_FALSE(IsQuitting());
}

// Quit closes the main window on its way out, so its geometry is written.
TEST_F(LookTest, ContextualQuitClosesTheMainWindowAndSavesItsGeometry)
{
    auto w = open(333, 111);
    w->SetLeft(44);
    w->SetTop(55);
    std::filesystem::remove(prefsPath());
    auto item = std::make_shared<MenuItem>();
    item->Constructor("Quit");
    EXPECT_TRUE(w->Event_ContextualMenuAction(item));
    EXPECT_TRUE(IsQuitting());
    EXPECT_FALSE(w->IsOpen());
    EXPECT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr);
    std::ifstream in(prefsPath());
    std::stringstream text;
    text << in.rdbuf();
    for (const char* entry : {"<key>Window1.Top</key>\n\t\n\t<string>55</string>",
                              "<key>Window1.Left</key>\n\t\n\t<string>44</string>",
                              "<key>Window1.Width</key>\n\t\n\t<string>333</string>",
                              "<key>Window1.Height</key>\n\t\n\t<string>111</string>"})
        EXPECT_NE(text.str().find(entry), std::string::npos) << entry << " in\n" << text.str();
}

} // namespace
