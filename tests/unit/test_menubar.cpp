// The menu bar's tree: three menus, their items, kinds, texts and shortcuts.
#include <gtest/gtest.h>

#include "app/MenuBar1.h"

namespace {

enum class Kind { Plain, Quit, About };

struct Row {
    const char* name;
    const char* text;
    const char* shortcut = "";
    Kind kind = Kind::Plain;
};

const std::pair<Row, std::vector<Row>> kBar[] = {
    {{"FileMenu", "&File"}, {{"FileQuit", "&Quit", "Cmd+Q", Kind::Quit}}},
    {{"EditMenu", "&Edit"},
     {{"EditUndo", "&Undo", "Cmd+Z"}, {"UntitledMenu1", "-"}, {"EditCut", "Cu&t", "Cmd+X"},
      {"EditCopy", "&Copy", "Cmd+C"}, {"EditPaste", "&Paste", "Cmd+V"}, {"EditClear", "&Delete"},
      {"UntitledMenu0", "-"}, {"EditSelectAll", "Select &All", "Cmd+A"}}},
    {{"HelpMenu", "&Help"},
     {{"HelpHelp", "Help..."}, {"HelpAboutQuibZerevarove", "About Quib Zerevarove...", "", Kind::About}}},
};

void expectRow(const Ref<MenuItem>& item, const Row& row)
{
    ASSERT_NE(item, nullptr) << row.name;
    const Kind kind = std::dynamic_pointer_cast<QuitMenuItem>(item)    ? Kind::Quit
                      : std::dynamic_pointer_cast<AppleMenuItem>(item) ? Kind::About
                                                                       : Kind::Plain;
    EXPECT_EQ(item->Name, String(row.name));
    EXPECT_EQ(kind, row.kind) << row.name;
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
        const auto& [title, items] = kBar[m];
        const auto menu = bar->Item(m);
        expectRow(menu, title);
        EXPECT_EQ(bar->Child(title.name), menu) << "found by name";
        ASSERT_EQ(menu->Count(), static_cast<int32_t>(items.size())) << title.name;
        for (int32_t i = 0; i < menu->Count(); ++i) {
            expectRow(menu->Item(i), items[static_cast<std::size_t>(i)]);
            EXPECT_EQ(menu->Item(i)->Count(), 0) << "no submenus";
        }
    }
    EXPECT_EQ(bar->Child("FileQuit"), nullptr) << "items are not on the bar itself";
}

TEST(MenuBar1Test, NamingItAgainGivesTheSameBarBuiltOnce)
{
    const auto first = MenuBar1::Instance();
    EXPECT_EQ(MenuBar1::Instance(), first);
    EXPECT_EQ(first->Count(), 3);
    EXPECT_EQ(first->Child("EditMenu")->Count(), 8);
}

} // namespace
