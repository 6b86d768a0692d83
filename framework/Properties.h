#pragma once
// Layout property lists: the record format, the property-name type table,
// per-class property tables and _SetProperties.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "framework/Object.h"
#include "framework/String.h"

struct Color {
    uint8_t r = 0, g = 0, b = 0;
    static constexpr Color FromRgb(uint32_t rgb)
    {
        return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
    }
    constexpr uint32_t Rgb() const { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }
    friend constexpr bool operator==(const Color&, const Color&) = default;
};

enum class PropertyType { Int32, Boolean, Color, String };

// The value type of every property name a record may carry; nullopt for an unknown name.
std::optional<PropertyType> PropertyTypeOf(std::string_view name);

using PropertyValue = std::variant<int32_t, bool, Color, String>;

struct PropertyEntry {
    std::string name;
    PropertyValue value;
};

struct DecodedRecord {
    std::vector<PropertyEntry> entries;
    std::size_t consumed = 0;   // bytes read before the end or the first fault
    std::string error;          // empty when the whole record decoded
};

// Never reads outside the bytes: an unknown name, a missing blank or a value
// cut short ends the decoding with an error and the entries read so far.
DecodedRecord DecodeRecord(std::span<const uint8_t> record);

// A class's settable properties; a table chains to its base class's table.
class PropertyTable {
public:
    explicit PropertyTable(const PropertyTable* base = nullptr) : m_base(base) {}

    template <class C, class V>
    PropertyTable& Add(const std::string& name, void (*setter)(C&, V))
    {
        using Plain = std::remove_cvref_t<V>;
        m_setters[name] = [setter](Object& target, const PropertyValue& value) {
            auto* typed = dynamic_cast<C*>(&target);
            const auto* v = std::get_if<Plain>(&value);
            if (!typed || !v) return false;
            setter(*typed, *v);
            return true;
        };
        return *this;
    }

    // False when neither this class nor a base knows the name, or the value's type differs.
    bool Set(Object& target, const std::string& name, const PropertyValue& value) const;
    bool Knows(const std::string& name) const;

private:
    const PropertyTable* m_base;
    std::unordered_map<std::string, std::function<bool(Object&, const PropertyValue&)>> m_setters;
};

class Reflectable : public Object {
public:
    virtual const PropertyTable& Properties() const = 0;
    virtual std::string ClassName() const = 0;
};

// Applies a record to an object, entry by entry in record order. A name the
// class does not know is reported on standard error and skipped; False when
// anything was skipped or the record is damaged.
bool _SetProperties(Reflectable& object, std::span<const uint8_t> record);
