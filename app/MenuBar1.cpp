#include "app/MenuBar1.h"

namespace {

Ref<MenuBar1>& instance()
{
    static Ref<MenuBar1> bar;
    return bar;
}

struct Row {
    const char* name;
    const char* text;
    const char* shortcut; // nullptr: not set (separators)
};

template <class Kind = MenuItem>
Ref<MenuItem> makeItem(const Row& row)
{
    auto item = NilCheck(std::make_shared<Kind>(), "menu item");
    item->Constructor();
    item->Name = row.name;
    item->AutoEnable = true;
    item->Text = row.text;
    if (row.shortcut) item->KeyboardShortcut = row.shortcut;
    return item;
}

void appendTo(MenuBar& bar, const char* menuName, const Ref<MenuItem>& item)
{
    NilCheck(bar.Child(menuName), menuName)->Append(item);
}

} // namespace

Ref<MenuBar1> MenuBar1::Instance()
{
    if (instance()) return instance();
    auto bar = std::make_shared<MenuBar1>();
    bar->Constructor();
    instance() = bar;
    return bar;
}

void MenuBar1::Release() { instance().reset(); }

void MenuBar1::Constructor()
{
    Untitled0();
    Untitled1();
    Untitled2();
}

void MenuBar1::Untitled0()
{
    Append(makeItem({"FileMenu", "&File", ""}));
    appendTo(*this, "FileMenu", makeItem<QuitMenuItem>({"FileQuit", "&Quit", "Cmd+Q"}));
}

void MenuBar1::Untitled1()
{
    Append(makeItem({"EditMenu", "&Edit", ""}));
    for (const Row& row : {Row{"EditUndo", "&Undo", "Cmd+Z"}, Row{"UntitledMenu1", "-", nullptr},
                           Row{"EditCut", "Cu&t", "Cmd+X"}, Row{"EditCopy", "&Copy", "Cmd+C"},
                           Row{"EditPaste", "&Paste", "Cmd+V"}, Row{"EditClear", "&Delete", ""},
                           Row{"UntitledMenu0", "-", nullptr}, Row{"EditSelectAll", "Select &All", "Cmd+A"}})
        appendTo(*this, "EditMenu", makeItem(row));
}

void MenuBar1::Untitled2()
{
    Append(makeItem({"HelpMenu", "&Help", ""}));
    appendTo(*this, "HelpMenu", makeItem({"HelpHelp", "Help...", ""}));
    appendTo(*this, "HelpMenu", makeItem<AppleMenuItem>({"HelpAboutQuibZerevarove", "About Quib Zerevarove...", ""}));
}
