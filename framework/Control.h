#pragma once
// Controls live in a window, are found by name and bind events by name.
#include <map>
#include <memory>
#include <string>

#include "framework/Delegate.h"
#include "framework/Properties.h"

class Window;

class Control : public Reflectable {
public:
    String Name;
    int32_t Index = INT32_MIN; // not part of a control array

    Ref<Window> ownerWindow() const { return m_owner.lock(); }
    void setOwner(const Ref<Window>& w) { m_owner = w; }

    // Binds a handler to the named event. Refused (false, reported on standard
    // error) when the class has no such event or the signature texts differ.
    bool InstallEventHandler(const std::string& eventName, const Delegate& handler);
    bool HasHandler(const std::string& eventName) const { return m_handlers.count(eventName) > 0; }

    // Called by the window once the control is added and its record applied.
    virtual void attach(Window&) {}
    void RaiseOpen();

    const PropertyTable& Properties() const override;
    static const PropertyTable& ControlProperties();

protected:
    // The events a class offers, with their signature texts.
    virtual std::map<std::string, std::string> Events() const { return {{"Open", "(  )"}}; }

    // Invokes a bound handler; an exception goes to the last-resort handler.
    template <class Sig, class... A>
    bool Raise(const std::string& eventName, typename std::function<Sig>::result_type* result, A&&... args);

private:
    std::weak_ptr<Window> m_owner;
    std::map<std::string, Delegate> m_handlers;
};

void _UnhandledException(const std::exception& e);

template <class Sig, class... A>
bool Control::Raise(const std::string& eventName, typename std::function<Sig>::result_type* result, A&&... args)
{
    const auto it = m_handlers.find(eventName);
    if (it == m_handlers.end()) return false;
    const auto* fn = it->second.template As<Sig>();
    if (!fn) return false;
    try {
        if constexpr (std::is_void_v<typename std::function<Sig>::result_type>) {
            (*fn)(std::forward<A>(args)...);
        } else {
            auto r = (*fn)(std::forward<A>(args)...);
            if (result) *result = r;
        }
    } catch (const std::exception& e) {
        _UnhandledException(e);
    }
    return true;
}

// Binds a control's event by name; see Control::InstallEventHandler.
inline bool _InstallInstanceEventHandler(const Ref<Control>& control, const std::string& eventName,
                                         const Delegate& handler)
{
    return NilCheck(control, "control")->InstallEventHandler(eventName, handler);
}
