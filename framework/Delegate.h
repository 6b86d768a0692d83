#pragma once
// Handlers bound by name. A delegate carries its signature text, and an
// event accepts only a delegate whose text equals the event's own.
#include <functional>
#include <memory>
#include <string>

#include "framework/Object.h"
#include "framework/String.h"

class Graphics;
class MenuItem;

namespace detail {
template <class T> struct TypeName;
template <> struct TypeName<String> { static std::string Get() { return "String"; } };
template <> struct TypeName<int32_t> { static std::string Get() { return "Int32"; } };
template <> struct TypeName<bool> { static std::string Get() { return "Boolean"; } };
template <> struct TypeName<double> { static std::string Get() { return "Double"; } };
template <> struct TypeName<Graphics&> { static std::string Get() { return "Graphics"; } };
template <> struct TypeName<MenuItem&> { static std::string Get() { return "MenuItem"; } };

template <class... A>
std::string ArgumentList()
{
    if constexpr (sizeof...(A) == 0) {
        return "(  )";
    } else {
        std::string out = "( ";
        bool first = true;
        ((out += (first ? "" : ", ") + TypeName<A>::Get(), first = false), ...);
        return out + " )";
    }
}

template <class Sig> struct Signature;
template <class... A> struct Signature<void(A...)> {
    static std::string Text() { return ArgumentList<A...>(); }
};
template <class R, class... A> struct Signature<R(A...)> {
    static std::string Text() { return ArgumentList<A...>() + " as " + TypeName<R>::Get(); }
};
} // namespace detail

// The signature text of a C++ handler type, e.g. bool(String) -> "( String ) as Boolean".
template <class Sig>
std::string SignatureText() { return detail::Signature<Sig>::Text(); }

class Delegate {
public:
    Delegate() = default;

    const std::string& Signature() const { return m_signature; }
    bool IsNil() const { return !m_function; }

    // The callable, when the delegate's signature is exactly Sig's; else nil.
    template <class Sig>
    const std::function<Sig>* As() const
    {
        if (m_signature != SignatureText<Sig>()) return nullptr;
        return static_cast<const std::function<Sig>*>(m_function.get());
    }

    // The text always comes from Sig itself: As() trusts the text to name the
    // stored callable's type, so a caller-supplied text could mislabel it.
    template <class Sig>
    static Delegate Make(std::function<Sig> fn)
    {
        Delegate d;
        d.m_signature = SignatureText<Sig>();
        d.m_function = std::make_shared<std::function<Sig>>(std::move(fn));
        return d;
    }

private:
    std::string m_signature;
    std::shared_ptr<void> m_function;
};

// A handler that calls method on target. The declared signature text must
// match the method's type; a mismatch gives a nil delegate, which no event accepts.
template <class T, class R, class... A>
Delegate RuntimeCreateDelegate(R (T::*method)(A...), const std::shared_ptr<T>& target, const std::string& signature)
{
    using Sig = R(A...);
    if (!target || signature != SignatureText<Sig>()) return {};
    std::weak_ptr<T> weak = target;
    return Delegate::Make<Sig>(
        [weak, method](A... args) -> R {
            auto self = weak.lock();
            if (!self) throw NilObjectException("handler target");
            return ((*self).*method)(std::forward<A>(args)...);
        });
}
