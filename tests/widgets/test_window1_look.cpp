// The main window's look, moving and resizing by mouse, and its contextual menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <cstdlib>
#include <functional>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "app/App.h"
#include "core/Window1.h"
#include "framework/Controls.h"
#include "framework/Window_p.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kPanel = 0x222222, kGreen = 0x00FF00;

// Writes down each size set and what each press returned.
class LookProbe : public Window1 {
public:
    std::vector<std::pair<int32_t, int32_t>> sizes;
    std::vector<bool> downs;

    void Event_Resizing() override
    {
        sizes.emplace_back(Width(), Height());
        Window1::Event_Resizing();
    }
    bool Event_MouseDown(int32_t x, int32_t y) override
    {
        downs.push_back(Window1::Event_MouseDown(x, y));
        return downs.back();
    }
};

struct State {
    int32_t mouseX, mouseY, left0, top0;
    bool resizing;
    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& os, const State& s)
{
    return os << s.mouseX << "," << s.mouseY << " from " << s.left0 << "," << s.top0 << " resizing " << s.resizing;
}

State stateOf(const Window1& w) { return {w.mouseX(), w.mouseY(), w.left0(), w.top0(), w.resizing()}; }

class LookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startWithoutMainWindow());
        // The About window reads its version line from the application object; no menu strip.
        _RuntimeRegisterAppObject(std::make_shared<App>());
        w = std::make_shared<LookProbe>();
        w->Construct();
        resize(400, 120);
        w->SetLeft(50);
        w->SetTop(60);
    }
    void TearDown() override
    {
        for (const auto& open : OpenWindows()) open->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
        _RuntimeRegisterAppObject(m_savedApp);
    }

    void resize(int32_t width, int32_t height)
    {
        w->SetWidth(width);
        w->SetHeight(height);
        pumpEvents(5);
        w->sizes.clear();
    }

    // As the window system delivers it while dragging: the local position is stale.
    void mouse(QEvent::Type type, int32_t screenX, int32_t screenY, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(0, 0), QPointF(screenX, screenY), changed, held, mods);
        QCoreApplication::sendEvent(w->priv().content, &e);
    }

    Ref<LookProbe> w;
    const Ref<Application> m_savedApp = _GetAppObject();
};

// Black outside the rounded panel, a 3-pixel green line 10 pixels inside the
// edge, dark grey within it.
void expectLook(const std::function<uint32_t(int32_t, int32_t)>& px, int32_t w, int32_t h)
{
    SCOPED_TRACE(::testing::Message() << w << " x " << h);
    EXPECT_EQ(px(0, 0), kBlack);
    EXPECT_EQ(px(w - 1, h - 1), kBlack);
    EXPECT_EQ(px(10, 10), kBlack) << "rounded corner";
    EXPECT_EQ(px(15, h / 2), kPanel);
    const uint32_t across[] = {kBlack, kBlack, kGreen, kGreen, kGreen, kPanel}; // 8 to 13 pixels in
    for (int32_t d = 8; d <= 13; ++d) {
        EXPECT_EQ(px(d, h / 2), across[d - 8]) << "left, " << d;
        EXPECT_EQ(px(w - 1 - d, h / 2), across[d - 8]) << "right, " << d;
        EXPECT_EQ(px(w / 2, d), across[d - 8]) << "top, " << d;
        EXPECT_EQ(px(w / 2, h - 1 - d), across[d - 8]) << "bottom, " << d;
    }
}

// Drawn into a picture that held something else, and shown on the window's own surface.
TEST_F(LookTest, LookIsDrawnAtEachSize)
{
    for (const auto& [width, height] : {std::pair{400, 120}, std::pair{100, 60}, std::pair{780, 61}}) {
        auto picture = NewPicture(width, height, 32);
        auto g = picture->Graphics();
        g->SetForeColor(0xFFFFFF);
        g->FillRect(0, 0, width, height);
        w->Draw(*g);
        expectLook([&](int32_t x, int32_t y) { return picture->Pixel(x, y).Rgb(); }, width, height);
        int others = 0; // sharp edges: only the three colours
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t c = picture->Pixel(x, y).Rgb();
                others += c != kBlack && c != kPanel && c != kGreen;
            }
        EXPECT_EQ(others, 0) << width << " x " << height;

        resize(width, height);
        const QImage shown = w->priv().content->grab().toImage();
        ASSERT_EQ(shown.size(), QSize(width, height));
        expectLook([&](int32_t x, int32_t y) { return shown.pixel(x, y) & 0xFFFFFFu; }, width, height);
    }
}

TEST_F(LookTest, GripIsTheTenByTenSquareAtTheLowerRightCornerWithItsCursor)
{
    const struct {
        int32_t width, height, x, y;
        bool in;
    } cases[] = {
        {400, 120, 390, 110, true}, {400, 120, 389, 110, false}, {400, 120, 390, 109, false},
        {400, 120, 5000, 900, true}, {100, 60, 90, 50, true},    {100, 60, 89, 59, false},
    };
    for (const auto& c : cases) {
        w->SetWidth(c.width);
        w->SetHeight(c.height);
        EXPECT_EQ(w->IsInLowerRightCorner(c.x, c.y), c.in) << c.width << " x " << c.height << " at " << c.x << ", " << c.y;
    }
    resize(400, 120);
    for (const auto& [x, y, in] : {std::tuple{395, 115, true}, {389, 110, false}, {390, 110, true}}) {
        mouse(QEvent::MouseMove, w->Left() + x, w->Top() + y, Qt::NoButton);
        EXPECT_EQ(w->CurrentMouseCursor(), in ? ArrowNorthwestSoutheast : ArrowCursor) << x << ", " << y;
        EXPECT_EQ(w->priv().content->cursor().shape(), in ? Qt::SizeFDiagCursor : Qt::ArrowCursor) << x << ", " << y;
    }
    EXPECT_TRUE(w->downs.empty()) << "moves with the button up are no presses";
}

// Width first; a dimension whose delta is 0 is not set, one at its minimum is set again.
TEST_F(LookTest, ResizeWindowAppliesTheDeltaWithinTheMinimum)
{
    using Sets = std::vector<std::pair<int32_t, int32_t>>;
    const struct {
        int32_t fromW, fromH, dx, dy;
        Sets sets; // the size after each set, in order
    } cases[] = {
        {400, 120, 30, -10, {{430, 120}, {430, 110}}},     {400, 120, -400, -100, {{100, 120}, {100, 60}}},
        {400, 120, 0, 15, {{400, 135}}},                   {400, 120, 0, 0, {}},
        {100, 120, -5, 0, {{100, 120}}},                   {100, 60, 3, 2, {{103, 60}, {103, 62}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fromW << " x " << c.fromH << " by " << c.dx << ", " << c.dy);
        resize(c.fromW, c.fromH);
        w->ResizeWindow(c.dx, c.dy);
        EXPECT_EQ(w->sizes, c.sets);
        const auto last = c.sets.empty() ? std::pair{c.fromW, c.fromH} : c.sets.back();
        EXPECT_EQ(std::pair(w->Width(), w->Height()), last);
    }
}

// The local positions the system reports while dragging are not trusted.
TEST_F(LookTest, DragOnTheBodyMovesTheWindowByTheMouseMovement)
{
    const int32_t sx = 55, sy = 120; // the margin left of the field
    mouse(QEvent::MouseButtonPress, sx, sy);
    ASSERT_EQ(w->downs, std::vector<bool>{true});
    EXPECT_EQ(stateOf(*w), (State{sx, sy, 50, 60, false}));
    for (const auto& [dx, dy] : {std::pair{30, 20}, {30, 35}, {-10, 35}, {0, 0}}) {
        mouse(QEvent::MouseMove, sx + dx, sy + dy);
        EXPECT_EQ(stateOf(*w), (State{sx + dx, sy + dy, 50 + dx, 60 + dy, false}));
        EXPECT_EQ(std::pair(w->Left(), w->Top()), std::pair(50 + dx, 60 + dy));
    }
    EXPECT_TRUE(w->sizes.empty());
    // The same screen position again sets nothing, though the window was placed elsewhere meanwhile.
    w->SetLeft(70);
    mouse(QEvent::MouseMove, sx, sy);
    EXPECT_EQ(w->Left(), 70);
    mouse(QEvent::MouseButtonRelease, sx, sy);
    mouse(QEvent::MouseMove, sx + 40, sy, Qt::NoButton);
    EXPECT_EQ(w->Left(), 70) << "released: moves no longer drag";
}

TEST_F(LookTest, DragFromTheGripResizesInPlace)
{
    const int32_t sx = 50 + 395, sy = 60 + 115;
    mouse(QEvent::MouseButtonPress, sx, sy);
    EXPECT_EQ(stateOf(*w), (State{sx, sy, 50, 60, true}));
    mouse(QEvent::MouseMove, sx + 30, sy - 10);
    EXPECT_EQ(std::pair(w->Width(), w->Height()), std::pair(430, 110));
    mouse(QEvent::MouseMove, sx - 400, sy - 100);
    EXPECT_EQ(std::pair(w->Width(), w->Height()), std::pair(100, 60));
    mouse(QEvent::MouseMove, sx - 390, sy - 95); // back from the minimum grows at once
    EXPECT_EQ(std::pair(w->Width(), w->Height()), std::pair(110, 65));
    EXPECT_EQ(std::pair(w->Left(), w->Top()), std::pair(50, 60));
    mouse(QEvent::MouseButtonRelease, sx - 390, sy - 95);
    EXPECT_TRUE(w->resizing()) << "kept after the release";
    mouse(QEvent::MouseButtonPress, 50 + 5, 60 + 30);
    EXPECT_FALSE(w->resizing()) << "the next press sets it again";
}

// Left to the framework: no state changes, and the window's own menu is shown.
TEST_F(LookTest, ContextualClickChangesNothingAndShowsTheMenu)
{
    mouse(QEvent::MouseButtonPress, 50 + 395, 60 + 115);
    mouse(QEvent::MouseButtonRelease, 50 + 395, 60 + 115);
    const State before = stateOf(*w);
    ASSERT_TRUE(before.resizing);
    for (const auto& [button, mods] : {std::pair{Qt::RightButton, Qt::KeyboardModifiers(Qt::NoModifier)},
                                       std::pair{Qt::LeftButton, Qt::KeyboardModifiers(Qt::ControlModifier)}}) {
        SCOPED_TRACE(button == Qt::RightButton ? "secondary button" : "control-click");
        w->downs.clear();
        QStringList shown;
        // The menu runs its own loop; look at it from inside, then dismiss it.
        QTimer::singleShot(0, [&] {
            pumpUntil([] { return QApplication::activePopupWidget() != nullptr; }, 2000);
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (auto* a : menu->actions()) shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
                menu->close();
            }
        });
        mouse(QEvent::MouseButtonPress, 50 + 5, 60 + 60, button, mods);
        EXPECT_EQ(w->downs, std::vector<bool>{false});
        EXPECT_EQ(stateOf(*w), before);
        EXPECT_EQ(shown, QStringList({"About Quib Zerevarove...", "-", "Quit"}));
        mouse(QEvent::MouseButtonRelease, 50 + 5, 60 + 60, button, mods);
        mouse(QEvent::MouseMove, 50 + 45, 60 + 60, button);
        EXPECT_EQ(w->Left(), 50) << "no drag follows a contextual press";
    }
}

// Only the two exact texts act; every item is reported handled. Quit comes last.
TEST_F(LookTest, ContextualActionsActOnTheirExactTextsOnly)
{
    bool aboutChosen = false;
    for (const char* text : {"-", "", "quit", "Quit ", "About", "About Quib Zerevarove\u2026",
                             "About Quib Zerevarove...", "Quit"}) {
        SCOPED_TRACE(text);
        const std::string t = text;
        auto item = std::make_shared<MenuItem>();
        item->Constructor(text);
        EXPECT_TRUE(w->Event_ContextualMenuAction(item));
        aboutChosen |= t == "About Quib Zerevarove...";
        if (t != "Quit") {
            EXPECT_EQ(_GetImplicitWindow(AboutWindow::kClassName) != nullptr, aboutChosen);
        }
        EXPECT_EQ(IsQuitting(), t == "Quit");
        EXPECT_EQ(w->IsOpen(), t != "Quit");
    }
    EXPECT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "Quit closed the main window";
}

} // namespace
