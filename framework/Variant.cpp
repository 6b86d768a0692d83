#include "framework/Variant.h"

#include <cmath>
#include <limits>

bool operator==(const Variant& a, const Variant& b)
{
    if (a.GetType() != b.GetType()) return false;
    if (const double* x = a.AsDouble()) {
        const double y = *b.AsDouble();
        return *x == y || (std::isnan(*x) && std::isnan(y));
    }
    return a.m_value == b.m_value;
}

std::size_t Variant::Hash() const
{
    std::size_t h = 0;
    switch (GetType()) {
    case Type::Nil: break;
    case Type::Int32: h = std::hash<int32_t>()(*AsInt32()); break;
    case Type::Boolean: h = std::hash<bool>()(*AsBoolean()); break;
    case Type::Double: h = std::isnan(*AsDouble()) ? 0x7ff8 : std::hash<double>()(*AsDouble()); break;
    case Type::String: h = std::hash<String>()(*AsString()); break;
    }
    return h ^ (static_cast<std::size_t>(GetType()) * 0x9e3779b97f4a7c15ull);
}

Variant Int32ToVariant(int32_t value) { return Variant(value); }

Variant StringToVariant(const String& value) { return Variant(value); }

namespace {

int32_t clampToInt32(double d)
{
    if (std::isnan(d)) return 0;
    if (d >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (d <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(d);
}

int32_t leadingInt32(const String& s)
{
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    std::size_t i = 0;
    while (i < s.Length() && (s[i] == U' ' || s[i] == U'\t')) ++i;
    bool negative = false;
    if (i < s.Length() && (s[i] == U'+' || s[i] == U'-')) negative = s[i++] == U'-';
    // Stop growing at the limit so a long run of digits cannot overflow.
    int64_t magnitude = 0;
    for (; i < s.Length() && s[i] >= U'0' && s[i] <= U'9'; ++i)
        magnitude = std::min<int64_t>(magnitude * 10 + (s[i] - U'0'), limit);
    if (negative) return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min<int64_t>(magnitude, limit - 1));
}

} // namespace

int32_t VariantToInt32(const Variant& v)
{
    switch (v.GetType()) {
    case Variant::Type::Nil: return 0;
    case Variant::Type::Int32: return *v.AsInt32();
    case Variant::Type::Boolean: return *v.AsBoolean() ? 1 : 0;
    case Variant::Type::Double: return clampToInt32(*v.AsDouble());
    case Variant::Type::String: return leadingInt32(*v.AsString());
    }
    return 0;
}

String VariantToString(const Variant& v)
{
    switch (v.GetType()) {
    case Variant::Type::Nil: return {};
    case Variant::Type::Int32: return Str(*v.AsInt32());
    case Variant::Type::Boolean: return *v.AsBoolean() ? String("True") : String("False");
    case Variant::Type::Double: return Str(*v.AsDouble());
    case Variant::Type::String: return *v.AsString();
    }
    return {};
}
