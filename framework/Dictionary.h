#pragma once
// Key/value map over variants. Entries enumerate in the order their keys were
// first added; replacing a value keeps the entry's place.
#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/Object.h"
#include "framework/Variant.h"

class KeyNotFoundException : public RuntimeException {
public:
    KeyNotFoundException() : RuntimeException("KeyNotFoundException") {}
};

class Dictionary : public Object {
public:
    Dictionary() = default;

    int32_t Count() const { return static_cast<int32_t>(m_entries.size()); }
    bool HasKey(const Variant& key) const { return m_index.contains(key); }
    // Raises KeyNotFoundException for an absent key.
    const Variant& Value(const Variant& key) const;
    void Value(const Variant& key, Variant value);

    std::vector<Variant> Keys() const;
    std::vector<Variant> Values() const;

private:
    std::vector<std::pair<Variant, Variant>> m_entries;
    std::unordered_map<Variant, std::size_t> m_index;
};
