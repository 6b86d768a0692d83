#include "prefs/PlistText.h"

#include <string>
#include <string_view>

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

bool ScanPlistText(const String& text, const std::function<void(const String& key, const String& value)>& put)
{
    static const String keyOpen("<key>");
    static const String keyClose("</key>");
    static const String stringOpen("<string>");
    static const String stringClose("</string>");

    // Every pass starts past the previous one's start, so the scan always ends.
    const std::size_t first = text.Find(keyOpen, 0);
    if (first == npos || text.Find(keyClose, first) == npos) return false;

    // The next key is looked for from one past the previous value's first character.
    std::size_t from = 0;
    for (;;) {
        const std::size_t k = text.Find(keyOpen, from);
        if (k == npos) break;
        const std::size_t a = k + keyOpen.Length();
        const std::size_t e = text.Find(keyClose, a);
        if (e == npos) break;
        const std::size_t s = text.Find(stringOpen, e);
        if (s == npos) break;
        const std::size_t b = s + stringOpen.Length();
        const std::size_t f = text.Find(stringClose, b);
        if (f == npos) break;
        put(text.Sub(a, e - a), text.Sub(b, f - b));
        from = b + 1;
    }
    return true;
}
