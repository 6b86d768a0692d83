// The main window as the user meets it through the toolkit: its look after an
// expose, the grip's cursor and the contextual menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "framework/Controls.h"
#include "framework/Window_p.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kPanel = 0x222222, kGreen = 0x00FF00;

class Window1Test : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (HasFatalFailure()) return;
        w = Window1::Instance();
        w->SetLeft(50);
        w->SetTop(60);
        w->SetWidth(400);
        w->SetHeight(120);
        pumpEvents(5);
    }
    QWidget* body() const { return w->priv().content; }

    Ref<Window1> w;
};

// Black outside the rounded panel, a 3-pixel green line 10 pixels inside the
// edge, dark grey within it; painted by the Paint event alone, with nothing
// drawn ahead of it.
TEST_F(Window1Test, AnExposeShowsTheLookAtEachSize)
{
    for (const auto& [width, height] : {std::pair{400, 120}, std::pair{100, 60}, std::pair{700, 61}}) {
        SCOPED_TRACE(::testing::Message() << width << " x " << height);
        w->SetWidth(width);
        w->SetHeight(height);
        body()->grab(); // shows what the resize drew
        const QImage shown = body()->grab().toImage();
        ASSERT_EQ(shown.size(), QSize(width, height));
        const auto px = [&](int x, int y) { return shown.pixel(x, y) & 0xFFFFFFu; };
        EXPECT_EQ(std::tuple(px(0, 0), px(width - 1, height - 1), px(10, 10), px(15, height / 2)),
                  std::tuple(kBlack, kBlack, kBlack, kPanel));
        const uint32_t across[] = {kBlack, kBlack, kGreen, kGreen, kGreen, kPanel}; // 8 to 13 pixels in
        for (int d = 8; d <= 13; ++d) {
            EXPECT_EQ(px(d, height / 2), across[d - 8]) << "left, " << d;
            EXPECT_EQ(px(width - 1 - d, height / 2), across[d - 8]) << "right, " << d;
            EXPECT_EQ(px(width / 2, d), across[d - 8]) << "top, " << d;
            EXPECT_EQ(px(width / 2, height - 1 - d), across[d - 8]) << "bottom, " << d;
        }
    }
}

// The diagonal cursor over the 10 x 10 grip in the lower-right corner, the arrow elsewhere.
TEST_F(Window1Test, GripShowsTheResizeCursor)
{
    for (const auto& [x, y, inGrip] : {std::tuple{395, 115, true}, {389, 115, false}, {390, 110, true},
                                       {395, 109, false}, {20, 10, false}, {399, 119, true}}) {
        sendMouse(body(), QEvent::MouseMove, QPoint(x, y), Qt::NoButton);
        EXPECT_EQ(body()->cursor().shape(), inGrip ? Qt::SizeFDiagCursor : Qt::ArrowCursor) << x << ", " << y;
    }
}

// The secondary button and a Ctrl+click both bring up the window's menu and
// leave the move state alone; only "About Quib Zerevarove..." opens anything.
TEST_F(Window1Test, ContextualMenuOpensAboutWithItsCredits)
{
    sendMouse(body(), QEvent::MouseButtonPress, QPoint(395, 115)); // a press in the grip sets the state
    sendMouse(body(), QEvent::MouseButtonRelease, QPoint(395, 115));
    const auto state = [&] { return std::tuple(w->mouseX(), w->mouseY(), w->left0(), w->top0(), w->resizing()); };
    const auto before = state();
    ASSERT_TRUE(w->resizing());

    const struct {
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
        QString choice; // empty: the menu is closed with Escape
    } cases[] = {
        {Qt::RightButton, Qt::NoModifier, ""},
        {Qt::LeftButton, Qt::ControlModifier, ""},
        {Qt::RightButton, Qt::NoModifier, "About Quib Zerevarove..."},
        {Qt::LeftButton, Qt::ControlModifier, "About Quib Zerevarove..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "button " << c.button << ", choice \"" << c.choice.toStdString() << "\"");
        QStringList shown;
        // The menu runs its own loop: look at it from inside, then choose by keyboard.
        QTimer inside; // gone with this case, should no menu come
        inside.setSingleShot(true);
        QObject::connect(&inside, &QTimer::timeout, [&] {
            pumpUntil([] { return QApplication::activePopupWidget() != nullptr; });
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            bool found = false;
            for (auto* a : menu->actions()) {
                shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
                if (!a->isSeparator() && a->text() == c.choice) menu->setActiveAction(a), found = true;
            }
            QKeyEvent key(QEvent::KeyPress, found ? Qt::Key_Return : Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(menu, &key);
            if (menu->isVisible()) menu->close(); // never left open, whatever the keys did
        });
        inside.start(0);
        click(body(), QPoint(5, 60), c.button, c.mods);
        EXPECT_EQ(shown, QStringList({"About Quib Zerevarove...", "-", "Quit"}));
        EXPECT_EQ(state(), before);
        EXPECT_TRUE(w->IsOpen());
        const auto about = RuntimeCheckCast<AboutWindow>(_GetImplicitWindow(AboutWindow::kClassName));
        ASSERT_EQ(about != nullptr, !c.choice.isEmpty());
        if (!about) continue;
        const auto credits = RuntimeCheckCast<EditField>(about->ControlByName("EditAppCredits"));
        EXPECT_TRUE(about->Visible() && credits && credits->Visible());
        EXPECT_EQ(about->Height(), 366);
        about->Close();
    }
}

} // namespace
