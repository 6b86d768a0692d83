#include "framework/Dictionary.h"

const Variant& Dictionary::Value(const Variant& key) const
{
    const auto it = m_index.find(key);
    if (it == m_index.end()) throw KeyNotFoundException();
    return m_entries[it->second].second;
}

void Dictionary::Value(const Variant& key, Variant value)
{
    if (const auto it = m_index.find(key); it != m_index.end()) {
        m_entries[it->second].second = std::move(value);
        return;
    }
    m_entries.emplace_back(key, std::move(value));
    // Keep the index and the entries in step if the index cannot grow.
    try {
        m_index.emplace(key, m_entries.size() - 1);
    } catch (...) {
        m_entries.pop_back();
        throw;
    }
}

std::vector<Variant> Dictionary::Keys() const
{
    std::vector<Variant> keys;
    keys.reserve(m_entries.size());
    for (const auto& entry : m_entries) keys.push_back(entry.first);
    return keys;
}

std::vector<Variant> Dictionary::Values() const
{
    std::vector<Variant> values;
    values.reserve(m_entries.size());
    for (const auto& entry : m_entries) values.push_back(entry.second);
    return values;
}
