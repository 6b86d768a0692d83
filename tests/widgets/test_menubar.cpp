// The Edit menu of the main window's strip: which items it enables, and what
// the chosen ones do to the focused field.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

#include "WidgetTestSupport.h"
#include "app/MenuBar1.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

using EditMenu = MainWindowTest;

// Each step changes the field, the clipboard or the focus; then the Edit menu
// opens and shows only the items that can act. An item is chosen once the menu
// has closed, as the toolkit does it and as its shortcut does it from anywhere,
// so a disabled item's choice stands for its shortcut.
TEST_F(EditMenu, EditItemsAreEnabledWhenTheyCanActAndActOnTheFocusedField)
{
    QApplication::clipboard()->clear();
    app->SetMenuBar(MenuBar1::Instance()); // as start-up does: the bar, then the main window with its strip
    const auto main = Window1::Instance();
    QMenuBar* bar = main->priv().menuBar;
    ASSERT_TRUE(bar && bar->actions().size() == 3);
    QMenu* edit = bar->actions()[1]->menu();
    ASSERT_TRUE(edit);
    const auto f = main->EditField1();
    QWidget* field = f->priv().widget;
    main->priv().frame->activateWindow();
    field->setFocus();
    ASSERT_TRUE(pumpUntil([&] { return QApplication::focusWidget() == field; }));
    const auto action = [edit](const QString& text) {
        for (auto* a : edit->actions())
            if (a->text() == text) return a;
        ADD_FAILURE() << "no item " << text.toStdString();
        return static_cast<QAction*>(nullptr);
    };
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
        {[&] { f->SetSelLength(2); f->SetReadOnly(true); }, {"&Copy", "Select &All"}, "&Delete", "ibQuib", "Qu"},
        {[&] { bar->setFocus(); }, {"&Copy", "Select &All"}, "Cu&t", "ibQuib", "Qu"}, // the strip took the keyboard
        {[&] { f->SetReadOnly(false); QApplication::focusWidget()->clearFocus(); }, {}, "&Undo", "ibQuib", "Qu"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(::testing::Message() << "then " << (s.chosen ? s.chosen : "nothing") << ": " << s.text);
        s.before();
        emit edit->aboutToShow();
        QStringList enabled;
        for (const auto& text : items)
            if (action(text)->isEnabled()) enabled << text;
        EXPECT_EQ(enabled, s.enabled);
        emit edit->aboutToHide();
        if (s.chosen) action(s.chosen)->trigger();
        EXPECT_EQ(f->Text(), String(s.text));
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), s.clipboard);
    }
}

} // namespace
