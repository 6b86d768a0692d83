#include "framework/Control.h"

#include <cstdio>

bool Control::InstallEventHandler(const std::string& eventName, const Delegate& handler)
{
    const auto events = Events();
    const auto it = events.find(eventName);
    if (it == events.end()) {
        std::fprintf(stderr, "quib-zerevarove: %s has no event '%s'\n", ClassName().c_str(), eventName.c_str());
        return false;
    }
    if (handler.IsNil() || handler.Signature() != it->second) {
        std::fprintf(stderr, "quib-zerevarove: handler for %s.%s has signature '%s', expected '%s'\n",
                     ClassName().c_str(), eventName.c_str(), handler.Signature().c_str(), it->second.c_str());
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
