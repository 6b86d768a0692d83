#include "framework/Control.h"

#include <iostream>

bool Control::InstallEventHandler(const std::string& eventName, const Delegate& handler)
{
    const auto events = Events();
    const auto it = events.find(eventName);
    if (it == events.end()) {
        std::cerr << "quib-zerevarove: " << ClassName() << " has no event '" << eventName << "'\n";
        return false;
    }
    if (handler.IsNil() || handler.Signature() != it->second) {
        std::cerr << "quib-zerevarove: handler for " << ClassName() << "." << eventName << " has signature '"
                  << handler.Signature() << "', expected '" << it->second << "'\n";
        return false;
    }
    m_handlers[eventName] = handler;
    return true;
}

void Control::RaiseOpen() { Raise<void()>("Open", nullptr); }

const PropertyTable& Control::ControlProperties()
{
    static const PropertyTable table = [] {
        PropertyTable t;
        t.Add<Control, String>("Name", [](Control& c, String v) { c.Name = std::move(v); });
        t.Add<Control, int32_t>("Index", [](Control& c, int32_t v) { c.Index = v; });
        return t;
    }();
    return table;
}

const PropertyTable& Control::Properties() const { return ControlProperties(); }
