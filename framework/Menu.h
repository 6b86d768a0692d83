#pragma once
// Menus: a menu bar of menus of items, each an item with a name by which
// handlers are bound. The kinds QuitMenuItem and AppleMenuItem are served
// by the framework (quit, and placement of the About item).
#include <cstdint>
#include <vector>

#include "framework/Object.h"
#include "framework/String.h"

class MenuItem : public Object {
public:
    MenuItem() = default;
    void Constructor() {}
    void Constructor(const String& text) { Text = text; }

    String Name;
    String Text;             // "&" marks the mnemonic; "-" makes a separator
    String KeyboardShortcut; // e.g. "Cmd+Q"; Cmd is the platform's command modifier
    bool AutoEnable = false;
    bool Enabled = true;

    void Append(const Ref<MenuItem>& item);
    // The direct child of that name, or nil.
    Ref<MenuItem> Child(const String& name) const;
    int32_t Count() const { return static_cast<int32_t>(m_children.size()); }
    Ref<MenuItem> Item(int32_t index) const;
    const std::vector<Ref<MenuItem>>& Children() const { return m_children; }
    bool IsSeparator() const { return Text == String("-"); }

private:
    std::vector<Ref<MenuItem>> m_children;
};

class QuitMenuItem : public MenuItem {};
class AppleMenuItem : public MenuItem {};

class MenuBar : public MenuItem {};
