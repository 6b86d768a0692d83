#include "framework/Properties.h"

#include <cstdio>

std::optional<PropertyType> PropertyTypeOf(std::string_view name)
{
    static const std::unordered_map<std::string_view, PropertyType> types = [] {
        std::unordered_map<std::string_view, PropertyType> t;
        for (auto n : {"Placement", "Width", "Height", "MinWidth", "MinHeight", "MaxWidth", "MaxHeight", "Frame",
                       "MacProcID", "Index", "Left", "Top", "TabPanelIndex", "TabIndex", "TextSize", "TextAlign",
                       "Alignment", "LimitText", "Priority", "StackSize"})
            t[n] = PropertyType::Int32;
        for (auto n : {"Composite", "HasBackColor", "Visible", "FullScreen", "MenuBarVisible", "CloseButton",
                       "Resizeable", "LiveResize", "MaximizeButton", "MinimizeButton", "LockLeft", "LockTop",
                       "LockRight", "LockBottom", "Border", "Multiline", "ScrollbarHorizontal", "ScrollbarVertical",
                       "Styled", "Password", "UseFocusRing", "Enabled", "AutoDeactivate", "Bold", "Italic",
                       "Underline", "ReadOnly", "AcceptTabs", "AcceptFocus", "EraseBackground", "Default", "Cancel",
                       "Cancelled"})
            t[n] = PropertyType::Boolean;
        for (auto n : {"BackColor", "TextColor"})
            t[n] = PropertyType::Color;
        for (auto n : {"Name", "Title", "BalloonHelp", "Format", "HelpTag", "TextFont", "Text", "Mask", "DataSource",
                       "DataField", "InitialParent", "Caption"})
            t[n] = PropertyType::String;
        return t;
    }();
    const auto it = types.find(name);
    if (it == types.end()) return std::nullopt;
    return it->second;
}

DecodedRecord DecodeRecord(std::span<const uint8_t> record)
{
    DecodedRecord out;
    std::size_t pos = 0;
    const std::size_t size = record.size();
    auto int32At = [&](std::size_t at) {
        const uint32_t u = (uint32_t(record[at]) << 24) | (uint32_t(record[at + 1]) << 16) |
                           (uint32_t(record[at + 2]) << 8) | uint32_t(record[at + 3]);
        return static_cast<int32_t>(u);
    };
    while (pos < size) {
        std::size_t nameEnd = pos;
        while (nameEnd < size && record[nameEnd] != ' ') ++nameEnd;
        if (nameEnd == size) { out.error = "record ends inside a property name"; break; }
        std::string name(reinterpret_cast<const char*>(record.data() + pos), nameEnd - pos);
        const auto type = PropertyTypeOf(name);
        if (!type) { out.error = "unknown property name '" + name + "'"; break; }
        std::size_t at = nameEnd + 1;
        PropertyValue value;
        switch (*type) {
        case PropertyType::Int32:
            if (size - at < 4) { out.error = "record ends inside " + name; break; }
            value = int32At(at);
            at += 4;
            break;
        case PropertyType::Boolean:
            if (size - at < 1) { out.error = "record ends inside " + name; break; }
            value = record[at] != 0;
            at += 1;
            break;
        case PropertyType::Color:
            if (size - at < 3) { out.error = "record ends inside " + name; break; }
            value = Color{record[at], record[at + 1], record[at + 2]};
            at += 3;
            break;
        case PropertyType::String: {
            if (size - at < 4) { out.error = "record ends inside " + name; break; }
            const auto n = static_cast<uint32_t>(int32At(at));
            at += 4;
            if (size - at < n) { out.error = "record ends inside " + name; break; }
            value = String(std::string_view(reinterpret_cast<const char*>(record.data() + at), n));
            at += n;
            break;
        }
        }
        if (!out.error.empty()) break;
        out.entries.push_back({std::move(name), std::move(value)});
        pos = at;
    }
    out.consumed = pos;
    return out;
}

bool PropertyTable::Set(Object& target, const std::string& name, const PropertyValue& value) const
{
    for (const PropertyTable* t = this; t; t = t->m_base) {
        const auto it = t->m_setters.find(name);
        if (it != t->m_setters.end()) return it->second(target, value);
    }
    return false;
}

bool PropertyTable::Knows(const std::string& name) const
{
    for (const PropertyTable* t = this; t; t = t->m_base)
        if (t->m_setters.count(name)) return true;
    return false;
}

bool _SetProperties(Reflectable& object, std::span<const uint8_t> record)
{
    const auto decoded = DecodeRecord(record);
    const auto& table = object.Properties();
    bool complete = decoded.error.empty();
    for (const auto& entry : decoded.entries) {
        if (table.Set(object, entry.name, entry.value)) continue;
        complete = false;
        std::fprintf(stderr, "quib-zerevarove: %s has no settable property '%s'\n", object.ClassName().c_str(),
                     entry.name.c_str());
    }
    if (!decoded.error.empty())
        std::fprintf(stderr, "quib-zerevarove: damaged layout record for %s: %s\n", object.ClassName().c_str(),
                     decoded.error.c_str());
    return complete;
}
