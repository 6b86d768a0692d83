#include "framework/Menu.h"

void MenuItem::Append(const Ref<MenuItem>& item)
{
    NilCheck(item, "menu item");
    m_children.push_back(item);
}

Ref<MenuItem> MenuItem::Child(const String& name) const
{
    for (const auto& c : m_children)
        if (c->Name == name) return c;
    return nullptr;
}

Ref<MenuItem> MenuItem::Item(int32_t index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return m_children[static_cast<std::size_t>(index)];
}
