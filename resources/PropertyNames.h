#pragma once
// The property names a layout record may carry, with their value types, and
// the fixed sequence of names for each kind of object. A compile-time copy of
// the framework's type table, so records can be checked while they are built;
// a unit test keeps the two tables in agreement.
#include <array>
#include <optional>
#include <string_view>

#include "framework/Properties.h"

namespace layout {

struct PropertyName {
    std::string_view name;
    PropertyType type;
};

inline constexpr std::array<PropertyName, 67> kPropertyNames{{
    {"Placement", PropertyType::Int32},
    {"Width", PropertyType::Int32},
    {"Height", PropertyType::Int32},
    {"MinWidth", PropertyType::Int32},
    {"MinHeight", PropertyType::Int32},
    {"MaxWidth", PropertyType::Int32},
    {"MaxHeight", PropertyType::Int32},
    {"Frame", PropertyType::Int32},
    {"MacProcID", PropertyType::Int32},
    {"Index", PropertyType::Int32},
    {"Left", PropertyType::Int32},
    {"Top", PropertyType::Int32},
    {"TabPanelIndex", PropertyType::Int32},
    {"TabIndex", PropertyType::Int32},
    {"TextSize", PropertyType::Int32},
    {"TextAlign", PropertyType::Int32},
    {"Alignment", PropertyType::Int32},
    {"LimitText", PropertyType::Int32},
    {"Priority", PropertyType::Int32},
    {"StackSize", PropertyType::Int32},

    {"Composite", PropertyType::Boolean},
    {"HasBackColor", PropertyType::Boolean},
    {"Visible", PropertyType::Boolean},
    {"FullScreen", PropertyType::Boolean},
    {"MenuBarVisible", PropertyType::Boolean},
    {"CloseButton", PropertyType::Boolean},
    {"Resizeable", PropertyType::Boolean},
    {"LiveResize", PropertyType::Boolean},
    {"MaximizeButton", PropertyType::Boolean},
    {"MinimizeButton", PropertyType::Boolean},
    {"LockLeft", PropertyType::Boolean},
    {"LockTop", PropertyType::Boolean},
    {"LockRight", PropertyType::Boolean},
    {"LockBottom", PropertyType::Boolean},
    {"Border", PropertyType::Boolean},
    {"Multiline", PropertyType::Boolean},
    {"ScrollbarHorizontal", PropertyType::Boolean},
    {"ScrollbarVertical", PropertyType::Boolean},
    {"Styled", PropertyType::Boolean},
    {"Password", PropertyType::Boolean},
    {"UseFocusRing", PropertyType::Boolean},
    {"Enabled", PropertyType::Boolean},
    {"AutoDeactivate", PropertyType::Boolean},
    {"Bold", PropertyType::Boolean},
    {"Italic", PropertyType::Boolean},
    {"Underline", PropertyType::Boolean},
    {"ReadOnly", PropertyType::Boolean},
    {"AcceptTabs", PropertyType::Boolean},
    {"AcceptFocus", PropertyType::Boolean},
    {"EraseBackground", PropertyType::Boolean},
    {"Default", PropertyType::Boolean},
    {"Cancel", PropertyType::Boolean},
    {"Cancelled", PropertyType::Boolean},

    {"BackColor", PropertyType::Color},
    {"TextColor", PropertyType::Color},

    {"Name", PropertyType::String},
    {"Title", PropertyType::String},
    {"BalloonHelp", PropertyType::String},
    {"Format", PropertyType::String},
    {"HelpTag", PropertyType::String},
    {"TextFont", PropertyType::String},
    {"Text", PropertyType::String},
    {"Mask", PropertyType::String},
    {"DataSource", PropertyType::String},
    {"DataField", PropertyType::String},
    {"InitialParent", PropertyType::String},
    {"Caption", PropertyType::String},
}};

constexpr std::optional<PropertyType> TypeOfName(std::string_view name)
{
    for (const auto& p : kPropertyNames)
        if (p.name == name) return p.type;
    return std::nullopt;
}

// Every record of a kind lists exactly these names, once each, in this order.
inline constexpr std::array<std::string_view, 22> kWindowSequence{
    "Placement", "Width", "Height", "MinWidth", "MinHeight", "MaxWidth", "MaxHeight", "Frame", "Composite",
    "HasBackColor", "BackColor", "Title", "Visible", "FullScreen", "MenuBarVisible", "CloseButton",
    "Resizeable", "LiveResize", "MaximizeButton", "MinimizeButton", "BalloonHelp", "MacProcID",
};

inline constexpr std::array<std::string_view, 40> kEditFieldSequence{
    "Name", "Index", "Left", "Top", "Width", "Height", "LockLeft", "LockTop", "LockRight", "LockBottom",
    "TabPanelIndex", "TabIndex", "Border", "Multiline", "ScrollbarHorizontal", "ScrollbarVertical", "Styled",
    "Password", "UseFocusRing", "TextColor", "BackColor", "Enabled", "Format", "Visible", "HelpTag",
    "AutoDeactivate", "TextFont", "TextSize", "Bold", "Italic", "Underline", "Text", "Mask", "ReadOnly",
    "LimitText", "AcceptTabs", "Alignment", "DataSource", "DataField", "InitialParent",
};

inline constexpr std::array<std::string_view, 28> kStaticTextSequence{
    "Name", "Index", "Left", "Top", "Width", "Height", "LockLeft", "LockTop", "LockRight", "LockBottom",
    "TabPanelIndex", "TabIndex", "Text", "TextAlign", "TextColor", "Multiline", "Enabled", "Visible",
    "HelpTag", "AutoDeactivate", "TextFont", "TextSize", "Bold", "Italic", "Underline", "DataSource",
    "DataField", "InitialParent",
};

inline constexpr std::array<std::string_view, 21> kCanvasSequence{
    "Name", "Index", "Left", "Top", "Width", "Height", "LockLeft", "LockTop", "LockRight", "LockBottom",
    "TabPanelIndex", "TabIndex", "Visible", "HelpTag", "AutoDeactivate", "Enabled", "UseFocusRing",
    "AcceptFocus", "AcceptTabs", "EraseBackground", "InitialParent",
};

inline constexpr std::array<std::string_view, 25> kPushButtonSequence{
    "Name", "Index", "Left", "Top", "Width", "Height", "LockLeft", "LockTop", "LockRight", "LockBottom",
    "TabPanelIndex", "TabIndex", "Caption", "Default", "Cancel", "Enabled", "Visible", "HelpTag",
    "AutoDeactivate", "TextFont", "TextSize", "Bold", "Italic", "Underline", "InitialParent",
};

inline constexpr std::array<std::string_view, 3> kTranslateSequence{"Priority", "StackSize", "Cancelled"};

}  // namespace layout
