// The Edit menu of the main window's strip: what it enables and what its items do.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

#include <functional>

#include "WidgetTestSupport.h"
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
        QApplication::clipboard()->clear();
        // As start-up does it: the application with its bar and handlers, then the main window.
        auto app = std::make_shared<App>();
        app->SetMenuBar(MenuBar1::Instance());
        _RuntimeRegisterAppObject(app);
        _ApplicationAddMenuHandlers();
        main = Window1::Instance();
        bar = main->priv().menuBar;
        ASSERT_NE(bar, nullptr);
        main->priv().frame->activateWindow();
        field()->setFocus();
        ASSERT_TRUE(pumpUntil([&] { return QApplication::focusWidget() == field(); }));
    }
    void TearDown() override
    {
        for (const auto& w : OpenWindows()) w->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
        _RuntimeRegisterAppObject(m_savedApp);
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

    Ref<Window1> main;
    QMenuBar* bar = nullptr;
    const Ref<Application> m_savedApp = _GetAppObject();
};

// Each step changes the field or the clipboard, then the Edit menu opens, shows
// only the items that can act, and one of them is chosen.
TEST_F(MenuStripTest, EditItemsAreEnabledWhenTheyCanActAndActOnTheFocusedField)
{
    auto f = main->EditField1();
    const QStringList items = {"&Undo", "Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"};
    const struct {
        std::function<void()> before;
        QStringList enabled;
        const char* chosen;
        const char *text, *clipboard;
    } steps[] = {
        {[] {}, {}, nullptr, "", ""},
        {[&] { f->SetText("Quib"); }, {"&Undo", "Select &All"}, "Select &All", "Quib", ""},
        {[] {}, {"&Undo", "Cu&t", "&Copy", "&Delete", "Select &All"}, "&Copy", "Quib", "Quib"},
        {[&] { f->SetSelStart(4); }, {"&Undo", "&Paste", "Select &All"}, "&Paste", "QuibQuib", "Quib"},
        {[&] { f->SetSelStart(4); f->SetSelLength(4); }, items, "&Delete", "Quib", "Quib"},
        {[] {}, {"&Undo", "&Paste", "Select &All"}, "&Undo", "QuibQuib", "Quib"},
        {[&] { f->SetSelStart(0); f->SetSelLength(2); }, items, "Cu&t", "ibQuib", "Qu"},
        {[&] { f->SetReadOnly(true); f->SetSelLength(2); }, {"&Copy", "Select &All"}, nullptr, "ibQuib", "Qu"},
        {[&] { field()->clearFocus(); }, {}, nullptr, "ibQuib", "Qu"},
    };
    QMenu* edit = bar->actions()[1]->menu();
    for (const auto& s : steps) {
        SCOPED_TRACE(s.text);
        s.before();
        emit edit->aboutToShow();
        QStringList enabled;
        for (const auto& text : items)
            if (action(text)->isEnabled()) enabled << text;
        EXPECT_EQ(enabled, s.enabled);
        if (s.chosen) action(s.chosen)->trigger();
        emit edit->aboutToHide();
        EXPECT_EQ(f->Text(), String(s.text));
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), s.clipboard);
    }
    EXPECT_TRUE(action("&Quit")->isEnabled() && action("Help...")->isEnabled()) << "other menus stay enabled";
}

} // namespace
