// The menu strip of the main window: where it sits, what it shows, and what
// its items do.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTextEdit>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "about/winHelp.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "core/Window1.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

class MenuStripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startWithoutMainWindow());
        std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "QuibZerevarovePrefs.plist");
        QApplication::clipboard()->clear();
        // As start-up does it: the application with its bar and handlers, then the main window.
        auto app = std::make_shared<App>();
        app->SetMenuBar(MenuBar1::Instance());
        _RuntimeRegisterAppObject(app);
        _ApplicationAddMenuHandlers();
        main = Window1::Instance();
        bar = main->priv().menuBar;
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override
    {
        for (const auto& w : OpenWindows()) w->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
        QApplication::clipboard()->clear();
        _RuntimeRegisterAppObject(m_savedApp);
    }

    QMenu* menu(const QString& title) const
    {
        for (auto* a : bar->actions())
            if (a->text() == title) return a->menu();
        ADD_FAILURE() << "no menu " << title.toStdString();
        return nullptr;
    }
    // An item of any menu; the texts are unique across the strip.
    QAction* action(const QString& text) const
    {
        for (auto* m : bar->actions())
            for (auto* a : m->menu()->actions())
                if (a->text() == text) return a;
        ADD_FAILURE() << "no item " << text.toStdString();
        return nullptr;
    }
    QWidget* field() const { return main->EditField1()->priv().widget; }
    void focusField() const
    {
        main->priv().frame->activateWindow();
        field()->setFocus();
        ASSERT_TRUE(pumpUntil([&] { return QApplication::focusWidget() == field(); }));
    }

    Ref<Window1> main;
    QMenuBar* bar = nullptr;
    const Ref<Application> m_savedApp = _GetAppObject();
};

// The strip stands above the window's 400 x 120 box, as a title bar would:
// geometry, drawing and mouse positions keep to the box below it.
TEST_F(MenuStripTest, StripSitsAboveTheDrawingSurface)
{
    ASSERT_FALSE(bar->isNativeMenuBar()) << "no global menu bar here";
    EXPECT_TRUE(bar->isVisible());
    const int h = bar->height();
    ASSERT_GT(h, 0);
    auto& p = main->priv();
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 400, h));
    EXPECT_EQ(p.content->geometry(), QRect(0, h, 400, 120));
    EXPECT_EQ(std::pair(main->Graphics()->Width(), main->Graphics()->Height()), std::pair(400, 120));
    main->SetLeft(30);
    main->SetTop(100);
    EXPECT_EQ(p.frame->geometry(), QRect(30, 100 - h, 400, 120 + h));
    EXPECT_EQ(QRect(main->Left(), main->Top(), main->Width(), main->Height()), QRect(30, 100, 400, 120));
    // Mouse positions count from the box's corner: the grip is where it is without a strip.
    for (const auto& [y, inGrip] : {std::pair{115, true}, std::pair{109, false}}) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(395, y), QPointF(30 + 395, 100 + y), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(p.content, &press);
        EXPECT_EQ(main->resizing(), inGrip) << y;
    }

    // Dark, to sit on the black window, with its titles in the window's green.
    const QImage strip = bar->grab().toImage();
    EXPECT_LT(qGray(strip.pixel(strip.width() - 3, h / 2)), 0x30);
    int green = 0;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x) green += (strip.pixel(x, y) & 0xFFFFFFu) == 0x00FF00u;
    EXPECT_GT(green, 20);

    EXPECT_EQ(winHelp::Instance()->priv().menuBar, nullptr) << "one strip for the application";
}

TEST_F(MenuStripTest, StripShowsTheMenusOfTheBar)
{
    // Each entry: its text ("-" for a separator), then its shortcut if it has one.
    const std::pair<QString, QStringList> want[] = {
        {"&File", {"&Quit Ctrl+Q"}},
        {"&Edit", {"&Undo Ctrl+Z", "-", "Cu&t Ctrl+X", "&Copy Ctrl+C", "&Paste Ctrl+V", "&Delete", "-",
                   "Select &All Ctrl+A"}},
        {"&Help", {"Help...", "About Quib Zerevarove..."}},
    };
    ASSERT_EQ(bar->actions().size(), 3);
    for (qsizetype m = 0; m < 3; ++m) {
        EXPECT_EQ(bar->actions()[m]->text(), want[m].first);
        ASSERT_NE(bar->actions()[m]->menu(), nullptr);
        QStringList entries;
        for (const auto* a : bar->actions()[m]->menu()->actions()) {
            const QString keys = a->shortcut().toString(QKeySequence::PortableText);
            entries << (a->isSeparator() ? QStringLiteral("-") : keys.isEmpty() ? a->text() : a->text() + " " + keys);
        }
        EXPECT_EQ(entries, want[m].second) << want[m].first.toStdString();
    }
}

TEST_F(MenuStripTest, EditItemsAreEnabledOnlyWhenTheyCanAct)
{
    const QStringList items = {"&Undo", "Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"};
    focusField();
    const struct {
        const char* state;
        std::function<void()> setUp;
        QStringList enabled;
    } states[] = {
        {"empty field, empty clipboard", [] {}, {}},
        {"text on the clipboard", [] { QApplication::clipboard()->setText("x"); }, {"&Paste"}},
        {"typed text, no selection",
         [&] {
             QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, "abc");
             QCoreApplication::sendEvent(field(), &typed);
         },
         {"&Undo", "&Paste", "Select &All"}},
        {"all selected", [&] { static_cast<QTextEdit*>(field())->selectAll(); },
         {"&Undo", "Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"}},
        {"clipboard emptied", [] { QApplication::clipboard()->clear(); },
         {"&Undo", "Cu&t", "&Copy", "&Delete", "Select &All"}},
        {"read-only field", [&] { main->EditField1()->SetReadOnly(true); }, {"&Copy", "Select &All"}},
        {"the strip took the keyboard", [&] { main->priv().menuBar->setFocus(); }, {"&Copy", "Select &All"}},
        {"no text field focused", [] { QApplication::focusWidget()->clearFocus(); }, {}},
    };
    QMenu* edit = menu("&Edit");
    ASSERT_NE(edit, nullptr);
    for (const auto& s : states) {
        s.setUp();
        emit edit->aboutToShow();
        QStringList enabled;
        for (const auto& text : items)
            if (action(text)->isEnabled()) enabled << text;
        EXPECT_EQ(enabled, s.enabled) << s.state;
        emit edit->aboutToHide();
    }
    // Items of the other menus stay enabled.
    emit menu("&File")->aboutToShow();
    EXPECT_TRUE(action("&Quit")->isEnabled());
    emit menu("&Help")->aboutToShow();
    EXPECT_TRUE(action("Help...")->isEnabled());
}

TEST_F(MenuStripTest, EditItemsActOnTheFocusedField)
{
    auto f = main->EditField1();
    f->SetText("Quib");
    focusField();
    const struct {
        const char* item;
        std::function<void()> before;
        const char* text;
        const char* clipboard;
    } steps[] = {
        {"Select &All", [] {}, "Quib", ""},
        {"&Copy", [] {}, "Quib", "Quib"},
        {"&Paste", [&] { f->SetSelStart(4); }, "QuibQuib", "Quib"},
        {"&Delete", [&] { f->SetSelStart(4); f->SetSelLength(4); }, "Quib", "Quib"},
        {"&Undo", [] {}, "QuibQuib", "Quib"},
        {"Cu&t", [&] { f->SetSelStart(0); f->SetSelLength(2); }, "ibQuib", "Qu"},
        {"&Undo", [&] { f->SetReadOnly(true); }, "ibQuib", "Qu"},
    };
    for (const auto& s : steps) {
        s.before();
        action(s.item)->trigger();
        EXPECT_EQ(f->Text(), String(s.text)) << s.item;
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), s.clipboard) << s.item;
    }
}

// The Help items reach the application's handlers through their item names;
// Quit closes every window on its way out.
TEST_F(MenuStripTest, HelpItemsOpenTheirWindowsAndQuitClosesAll)
{
    action("Help...")->trigger();
    action("About Quib Zerevarove...")->trigger();
    EXPECT_NE(_GetImplicitWindow(winHelp::kClassName), nullptr);
    EXPECT_NE(_GetImplicitWindow(AboutWindow::kClassName), nullptr);
    EXPECT_FALSE(IsQuitting());
    action("&Quit")->trigger();
    EXPECT_TRUE(IsQuitting());
    EXPECT_FALSE(main->IsOpen());
    EXPECT_TRUE(OpenWindows().empty());
}

} // namespace
