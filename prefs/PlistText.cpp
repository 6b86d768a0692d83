#include "prefs/PlistText.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace {

constexpr std::u32string_view head =
    U"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    U"<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    U"\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    U"<plist version=\"1.0\">\n"
    U"<dict>";
constexpr std::u32string_view keyStart = U"\n\t<key>";
constexpr std::u32string_view keyEnd = U"</key>\n\t";
constexpr std::u32string_view valueStart = U"\n\t<string>";
constexpr std::u32string_view valueEnd = U"</string>\n\t";
constexpr std::u32string_view tail = U"</dict>\n</plist>\n";

constexpr std::size_t npos = std::u32string::npos;

} // namespace

String PlistText(const std::vector<Variant>& keys, const std::vector<Variant>& values,
                 const std::function<void()>& afterEntry)
{
    std::vector<String> keyTexts;
    std::vector<String> valueTexts;
    keyTexts.reserve(keys.size());
    valueTexts.reserve(keys.size());
    std::size_t size = head.size() + tail.size();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keyTexts.push_back(VariantToString(keys[i]));
        valueTexts.push_back(i < values.size() ? VariantToString(values[i]) : String());
        size += keyStart.size() + keyEnd.size() + valueStart.size() + valueEnd.size()
            + keyTexts.back().Length() + valueTexts.back().Length();
    }

    std::u32string text;
    text.reserve(size);
    text += head;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        text += keyStart;
        text += keyTexts[i].Chars();
        text += keyEnd;
        text += valueStart;
        text += valueTexts[i].Chars();
        text += valueEnd;
        if (afterEntry) afterEntry();
    }
    text += tail;
    return String(std::move(text));
}

namespace {

// Finds a marker from starting points that only move forward: a start that does
// not pass the last match finds that match again, so the text is read once.
class MarkerFinder {
public:
    MarkerFinder(const std::u32string& text, std::u32string_view marker) : m_text(text), m_marker(marker) {}

    std::size_t From(std::size_t start)
    {
        if (!m_searched || start < m_start || start > m_found) {
            m_searched = true;
            m_start = start;
            m_found = m_text.find(m_marker, start);
        }
        return m_found;
    }

private:
    const std::u32string& m_text;
    std::u32string_view m_marker;
    bool m_searched = false;
    std::size_t m_start = 0;
    std::size_t m_found = 0;
};

struct Pair {
    std::size_t keyMarker, key, keyEnd, value, valueEnd;
};

} // namespace

bool ScanPlistText(const String& text, const std::function<void(const String& key, const String& value)>& put)
{
    constexpr std::u32string_view keyOpen = U"<key>", stringOpen = U"<string>";
    const std::u32string& s = text.Chars();
    MarkerFinder keyOpens(s, keyOpen), keyCloses(s, U"</key>");
    MarkerFinder stringOpens(s, stringOpen), stringCloses(s, U"</string>");

    const std::size_t first = keyOpens.From(0);
    if (first == npos || keyCloses.From(first) == npos) return false;

    // The next key is looked for from one past the previous value's first
    // character, so every pass starts further on and the scan always ends.
    std::vector<Pair> pairs;
    for (std::size_t from = 0;;) {
        const std::size_t k = keyOpens.From(from);
        if (k == npos) break;
        const std::size_t a = k + keyOpen.size();
        const std::size_t e = keyCloses.From(a);
        if (e == npos) break;
        const std::size_t stringAt = stringOpens.From(e);
        if (stringAt == npos) break;
        const std::size_t b = stringAt + stringOpen.size();
        const std::size_t f = stringCloses.From(b);
        if (f == npos) break;
        pairs.push_back({k, a, e, b, f});
        from = b + 1;
    }

    // In a damaged text a value can run over the pairs after it, and putting
    // each of those long values would take time and memory growing with the
    // square of the text. A repeated key's middle values of that kind are
    // replaced by its last one anyway, and the first fixes its place, so those
    // two are enough; well-formed text has no such value and puts every pair.
    // A budget bounds what distinct keys can still ask for.
    auto keyOf = [&](const Pair& p) { return std::u32string_view(s).substr(p.key, p.keyEnd - p.key); };
    std::unordered_map<std::u32string_view, std::size_t> firstAt, lastAt;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        firstAt.try_emplace(keyOf(pairs[i]), i);
        lastAt[keyOf(pairs[i])] = i;
    }
    std::size_t budget = 2 * s.size() + (std::size_t(1) << 20);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const Pair& p = pairs[i];
        const bool runsOver = i + 1 < pairs.size() && pairs[i + 1].keyMarker < p.valueEnd;
        if (runsOver && firstAt[keyOf(p)] != i && lastAt[keyOf(p)] != i) continue;
        const std::size_t length = p.valueEnd - p.value;
        if (length > budget) break;
        budget -= length;
        put(text.Sub(p.key, p.keyEnd - p.key), text.Sub(p.value, length));
    }
    return true;
}
