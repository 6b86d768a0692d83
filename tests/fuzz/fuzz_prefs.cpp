// Arbitrary bytes through the preferences text scan and the text-to-number
// conversion; entries within the file format's limits must read back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "framework/String.h"
#include "framework/Variant.h"
#include "prefs/PlistText.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

bool withinLimits(const String& key, const String& value)
{
    constexpr auto npos = std::u32string::npos;
    return key.Find(String("</key>")) == npos && value.Find(String("<key>")) == npos
        && value.Find(String("</string>")) == npos;
}

void scanArbitraryText(const String& text)
{
    std::size_t passes = 0;
    std::size_t keyMarkers = 0;
    for (std::size_t at = text.Find(String("<key>")); at != std::u32string::npos; at = text.Find(String("<key>"), at + 1))
        ++keyMarkers;
    ScanPlistText(text, [&](const String& key, const String& value) {
        ++passes;
        require(key.Length() + value.Length() <= text.Length());
    });
    require(passes <= keyMarkers);
}

// The input, split at 0x01 bytes, gives alternate keys and values.
void roundTrip(const String& text)
{
    const std::vector<String> parts = Split(text, String("\x01"));
    std::vector<Variant> keys;
    std::vector<Variant> values;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (!withinLimits(parts[i], parts[i + 1])) continue;
        keys.push_back(StringToVariant(parts[i]));
        values.push_back(StringToVariant(parts[i + 1]));
    }
    if (keys.empty()) return;
    std::size_t n = 0;
    const bool any = ScanPlistText(PlistText(keys, values), [&](const String& key, const String& value) {
        require(n < keys.size());
        require(StringToVariant(key) == keys[n] && StringToVariant(value) == values[n]);
        ++n;
    });
    require(any && n == keys.size());
}

void convertNumber(const String& text)
{
    const int32_t n = VariantToInt32(StringToVariant(text));
    require(VariantToInt32(StringToVariant(VariantToString(Int32ToVariant(n)))) == n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const String text(std::string_view(reinterpret_cast<const char*>(data), size));
    scanArbitraryText(text);
    roundTrip(text);
    convertNumber(text);
    return 0;
}
