#pragma once
// The framework's variant: a value of one of a few kinds, or nil.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <variant>

#include "framework/String.h"

class Variant {
public:
    enum class Type { Nil, Int32, Boolean, Double, String };

    Variant() = default;
    explicit Variant(int32_t v) : m_value(v) {}
    explicit Variant(bool v) : m_value(v) {}
    explicit Variant(double v) : m_value(v) {}
    explicit Variant(String v) : m_value(std::move(v)) {}
    // Without this a string literal would silently become a Boolean.
    explicit Variant(const char* utf8) : m_value(String(utf8)) {}

    Type GetType() const { return static_cast<Type>(m_value.index()); }
    bool IsNil() const { return GetType() == Type::Nil; }

    // Typed access; nullptr when the variant holds another kind.
    const int32_t* AsInt32() const { return std::get_if<int32_t>(&m_value); }
    const bool* AsBoolean() const { return std::get_if<bool>(&m_value); }
    const double* AsDouble() const { return std::get_if<double>(&m_value); }
    const String* AsString() const { return std::get_if<String>(&m_value); }

    // Equal when of the same kind and value; kinds never compare across (Int32 1 is not String "1").
    // Every NaN equals every other, so a NaN key can be found again.
    friend bool operator==(const Variant& a, const Variant& b);
    std::size_t Hash() const;

private:
    // The alternatives' order matches Type.
    std::variant<std::monostate, int32_t, bool, double, String> m_value;
};

template <>
struct std::hash<Variant> {
    std::size_t operator()(const Variant& v) const noexcept { return v.Hash(); }
};

Variant Int32ToVariant(int32_t value);
Variant StringToVariant(const String& value);
// Decimal text gives its number; other text gives its leading integer (after blanks, with an
// optional sign) clamped to the Int32 range, and 0 when it has none (empty, letters).
int32_t VariantToInt32(const Variant& v);
// Int32 as plain decimal text, Double as Str gives it, Boolean as "True"/"False", nil as "".
String VariantToString(const Variant& v);
