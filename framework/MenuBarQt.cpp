#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTextEdit>

#include "framework/Application.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

// "Cmd+" is the platform's command modifier: Ctrl here.
QKeySequence shortcutFor(const String& text)
{
    QString s = toQString(text);
    s.replace(QLatin1String("Cmd+"), QLatin1String("Ctrl+"));
    return QKeySequence(s);
}

bool isMenu(const QWidget* w) { return qobject_cast<const QMenuBar*>(w) || qobject_cast<const QMenu*>(w); }

// The text field that had the focus before a menu took the keyboard.
QPointer<QTextEdit>& fieldBeforeMenu()
{
    static QPointer<QTextEdit> field;
    return field;
}

// The text field the Edit items act on: the focused one, or while a menu has
// the keyboard (opened from the strip, or reached from another menu with the
// arrow keys) the one that had the focus before it.
QTextEdit* focusedField()
{
    QWidget* now = QApplication::focusWidget();
    if (!now || isMenu(now)) return fieldBeforeMenu();
    return qobject_cast<QTextEdit*>(now);
}

// The Edit items with no handler of the program's own act on the focused text field.
bool serveEditItem(const String& name)
{
    QTextEdit* f = focusedField();
    if (!f) return false;
    if (name == String("EditUndo")) f->undo();
    else if (name == String("EditCut")) f->cut();
    else if (name == String("EditCopy")) f->copy();
    else if (name == String("EditPaste")) f->paste();
    else if (name == String("EditClear")) f->textCursor().removeSelectedText();
    else if (name == String("EditSelectAll")) f->selectAll();
    else return false;
    return true;
}

bool editItemCanAct(const String& name)
{
    QTextEdit* f = focusedField();
    if (!f) return false;
    const bool selection = f->textCursor().hasSelection();
    const bool writable = !f->isReadOnly();
    if (name == String("EditUndo")) return writable && f->document()->isUndoAvailable();
    if (name == String("EditCut") || name == String("EditClear")) return writable && selection;
    if (name == String("EditCopy")) return selection;
    if (name == String("EditPaste")) return writable && f->canPaste();
    if (name == String("EditSelectAll")) return !f->document()->isEmpty();
    return true;
}

// The strip sits on a black window: the window's own black, dark grey and green.
constexpr const char* kStripStyle = R"(
QMenuBar { background: #000000; color: #00FF00; border: none; padding: 1px 4px; }
QMenuBar::item { background: transparent; padding: 2px 8px; }
QMenuBar::item:selected, QMenuBar::item:pressed { background: #222222; }
QMenu { background: #222222; color: #00FF00; border: 1px solid #00FF00; padding: 2px 0px; }
QMenu::item { padding: 3px 24px 3px 16px; }
QMenu::item:selected { background: #000000; }
QMenu::item:disabled { color: #2E7D2E; }
QMenu::separator { height: 1px; background: #3A3A3A; margin: 3px 8px; }
)";

bool isEditItem(const String& name)
{
    for (auto n : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"})
        if (name == String(n)) return true;
    return false;
}

void chooseItem(const Ref<MenuItem>& item)
{
    auto app = _GetAppObject();
    if (app && app->HandleMenuItem(item->Name)) return;
    if (std::dynamic_pointer_cast<QuitMenuItem>(item)) {
        Quit(0);
        return;
    }
    // A shortcut reaches here from any window; a read-only field is not to be undone.
    if (editItemCanAct(item->Name)) serveEditItem(item->Name);
}

} // namespace

QMenuBar* buildMenuBar(QWidget* parent)
{
    auto app = _GetAppObject();
    if (!app || !app->MenuBar()) return nullptr;
    auto* bar = new QMenuBar(parent);
    QObject::connect(qApp, &QApplication::focusChanged, bar, [](QWidget*, QWidget* now) {
        if (!isMenu(now)) fieldBeforeMenu() = qobject_cast<QTextEdit*>(now);
    });
    bar->setStyleSheet(QString::fromLatin1(kStripStyle));
    for (const auto& menuItem : app->MenuBar()->Children()) {
        QMenu* menu = bar->addMenu(toQString(menuItem->Text));
        std::vector<std::pair<QAction*, Ref<MenuItem>>> actions;
        for (const auto& item : menuItem->Children()) {
            if (item->IsSeparator()) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(toQString(item->Text));
            if (!item->KeyboardShortcut.IsEmpty()) a->setShortcut(shortcutFor(item->KeyboardShortcut));
            // One menu bar for the application: its shortcuts work in every window.
            a->setShortcutContext(Qt::ApplicationShortcut);
            if (std::dynamic_pointer_cast<QuitMenuItem>(item)) a->setMenuRole(QAction::QuitRole);
            else if (std::dynamic_pointer_cast<AppleMenuItem>(item)) a->setMenuRole(QAction::AboutRole);
            else a->setMenuRole(QAction::NoRole);
            QObject::connect(a, &QAction::triggered, a, [item] { chooseItem(item); });
            actions.emplace_back(a, item);
        }
        // Auto-enabled items are enabled just before the menu shows, by whether they can act.
        QObject::connect(menu, &QMenu::aboutToShow, menu, [actions] {
            for (const auto& [a, item] : actions)
                if (item->AutoEnable && isEditItem(item->Name) && !(_GetAppObject() && _GetAppObject()->HasMenuHandler(item->Name)))
                    a->setEnabled(editItemCanAct(item->Name));
        });
        QObject::connect(menu, &QMenu::aboutToHide, menu, [actions] {
            // Shortcuts stay live while the menu is closed; the field itself checks what it can do.
            for (const auto& [a, item] : actions) a->setEnabled(true);
        });
    }
    return bar;
}
