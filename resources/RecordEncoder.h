#pragma once
// Builds layout records at compile time from readable (name, value) entries.
// Each entry becomes: the name, one blank, then the value (Int32 as 4 bytes
// big-endian, Boolean as 1 byte 0/1, Color as 3 bytes r g b, String as an
// Int32 byte count followed by the UTF-8 bytes). An unknown name, or a value
// of another type than its name's, does not compile.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

#include "resources/PropertyNames.h"

namespace layout {

struct Entry {
    std::string_view name;
    PropertyType type;
    std::int64_t number = 0;  // Int32 value, Boolean 0/1 or Color 0xRRGGBB
    std::string_view text;
};

// Every control record holds this Index: the control stands alone, not in a control array.
inline constexpr std::int32_t kNoIndex = std::numeric_limits<std::int32_t>::min();

namespace detail {
consteval void RequireType(std::string_view name, PropertyType type)
{
    // Throwing here makes the offending entry a compile error.
    if (TypeOfName(name) != type) throw "property name unknown or of another type";
}
}  // namespace detail

consteval Entry I(std::string_view name, std::int32_t value)
{
    detail::RequireType(name, PropertyType::Int32);
    return {name, PropertyType::Int32, value, {}};
}

consteval Entry B(std::string_view name, bool value)
{
    detail::RequireType(name, PropertyType::Boolean);
    return {name, PropertyType::Boolean, value ? 1 : 0, {}};
}

consteval Entry C(std::string_view name, std::uint32_t rgb)
{
    detail::RequireType(name, PropertyType::Color);
    if (rgb > 0xFFFFFF) throw "colour wider than 0xRRGGBB";
    return {name, PropertyType::Color, rgb, {}};
}

consteval Entry S(std::string_view name, std::string_view utf8)
{
    detail::RequireType(name, PropertyType::String);
    if (utf8.size() > std::size_t(std::numeric_limits<std::int32_t>::max())) throw "text too long for its count";
    return {name, PropertyType::String, 0, utf8};
}

constexpr std::size_t ValueSize(const Entry& e)
{
    switch (e.type) {
    case PropertyType::Int32: return 4;
    case PropertyType::Boolean: return 1;
    case PropertyType::Color: return 3;
    case PropertyType::String: return 4 + e.text.size();
    }
    return 0;
}

constexpr std::size_t EncodedSize(std::span<const Entry> entries)
{
    std::size_t size = 0;
    for (const auto& e : entries) size += e.name.size() + 1 + ValueSize(e);
    return size;
}

// True when the entries carry exactly the names of the sequence, in its order,
// each with the type the name table gives it.
constexpr bool FollowsSequence(std::span<const Entry> entries, std::span<const std::string_view> sequence)
{
    if (entries.size() != sequence.size()) return false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].name != sequence[i]) return false;
        if (TypeOfName(entries[i].name) != entries[i].type) return false;
    }
    return true;
}

template <std::size_t N>
consteval std::array<std::uint8_t, N> Encode(std::span<const Entry> entries)
{
    std::array<std::uint8_t, N> out{};
    std::size_t at = 0;
    auto put32 = [&](std::uint32_t v) {
        out[at++] = std::uint8_t(v >> 24);
        out[at++] = std::uint8_t(v >> 16);
        out[at++] = std::uint8_t(v >> 8);
        out[at++] = std::uint8_t(v);
    };
    for (const auto& e : entries) {
        for (char c : e.name) out[at++] = std::uint8_t(c);
        out[at++] = ' ';
        switch (e.type) {
        case PropertyType::Int32:
            put32(std::uint32_t(std::int32_t(e.number)));
            break;
        case PropertyType::Boolean:
            out[at++] = std::uint8_t(e.number);
            break;
        case PropertyType::Color:
            out[at++] = std::uint8_t(e.number >> 16);
            out[at++] = std::uint8_t(e.number >> 8);
            out[at++] = std::uint8_t(e.number);
            break;
        case PropertyType::String:
            put32(std::uint32_t(e.text.size()));
            for (char c : e.text) out[at++] = std::uint8_t(c);
            break;
        }
    }
    if (at != N) throw "encoded size differs from the computed size";
    return out;
}

// The bytes of a record whose entries are a constant array: Encoded<kEntries>.
template <const auto& Entries>
inline constexpr auto Encoded = Encode<EncodedSize(Entries)>(Entries);

}  // namespace layout
