// The menu bar's tree: three menus, their items, kinds, texts and shortcuts.
#include <gtest/gtest.h>

#include "app/MenuBar1.h"

namespace {

enum class Kind { Plain, Quit, About };

Kind kindOf(const Ref<MenuItem>& item)
{
    if (std::dynamic_pointer_cast<QuitMenuItem>(item)) return Kind::Quit;
    if (std::dynamic_pointer_cast<AppleMenuItem>(item)) return Kind::About;
    return Kind::Plain;
}

struct Row {
    const char* name;
    Kind kind;
    const char* text;
    const char* shortcut;
};

struct Menu {
    Row title;
    std::vector<Row> items;
};

const Menu kBar[] = {
    {{"FileMenu", Kind::Plain, "&File", ""}, {{"FileQuit", Kind::Quit, "&Quit", "Cmd+Q"}}},
    {{"EditMenu", Kind::Plain, "&Edit", ""},
     {{"EditUndo", Kind::Plain, "&Undo", "Cmd+Z"},
      {"UntitledMenu1", Kind::Plain, "-", ""},
      {"EditCut", Kind::Plain, "Cu&t", "Cmd+X"},
      {"EditCopy", Kind::Plain, "&Copy", "Cmd+C"},
      {"EditPaste", Kind::Plain, "&Paste", "Cmd+V"},
      {"EditClear", Kind::Plain, "&Delete", ""},
      {"UntitledMenu0", Kind::Plain, "-", ""},
      {"EditSelectAll", Kind::Plain, "Select &All", "Cmd+A"}}},
    {{"HelpMenu", Kind::Plain, "&Help", ""},
     {{"HelpHelp", Kind::Plain, "Help...", ""},
      {"HelpAboutQuibZerevarove", Kind::About, "About Quib Zerevarove...", ""}}},
};

void expectRow(const Ref<MenuItem>& item, const Row& row)
{
    ASSERT_NE(item, nullptr) << row.name;
    EXPECT_EQ(item->Name, String(row.name));
    EXPECT_EQ(kindOf(item), row.kind) << row.name;
    EXPECT_EQ(item->Text, String(row.text)) << row.name;
    EXPECT_EQ(item->KeyboardShortcut, String(row.shortcut)) << row.name;
    EXPECT_TRUE(item->AutoEnable) << row.name;
}

TEST(MenuBar1Test, ThreeMenusWithTheirItemsInOrder)
{
    const auto bar = MenuBar1::Instance();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Count(), 3);
    for (int32_t m = 0; m < 3; ++m) {
        const Menu& want = kBar[m];
        const auto menu = bar->Item(m);
        expectRow(menu, want.title);
        EXPECT_EQ(bar->Child(want.title.name), menu) << "found by name";
        ASSERT_EQ(menu->Count(), static_cast<int32_t>(want.items.size())) << want.title.name;
        for (int32_t i = 0; i < menu->Count(); ++i) {
            expectRow(menu->Item(i), want.items[static_cast<std::size_t>(i)]);
            EXPECT_EQ(menu->Item(i)->Count(), 0) << "no submenus";
        }
    }
    // Menus are found on the bar only; items are not on the bar itself.
    EXPECT_EQ(bar->Child("FileQuit"), nullptr);
    EXPECT_EQ(bar->Child("Quit"), nullptr);
}

TEST(MenuBar1Test, NamingItAgainGivesTheSameBarBuiltOnce)
{
    const auto first = MenuBar1::Instance();
    const auto second = MenuBar1::Instance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->Count(), 3);
    EXPECT_EQ(second->Child("EditMenu")->Count(), 8);
    EXPECT_EQ(second->Child("HelpMenu")->Count(), 2);
}

} // namespace
