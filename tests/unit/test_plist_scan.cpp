// The linear scan stores exactly what the plain scan of the file format stored,
// on the fuzzer's seeds and on damaged texts made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "prefs/PlistText.h"

namespace {

using Store = std::vector<std::pair<String, String>>;
using Put = std::function<void(const String&, const String&)>;

// The plain scan, quadratic on damaged text: every search starts afresh.
bool referenceScan(const String& t, const Put& put)
{
    constexpr auto npos = std::u32string::npos;
    const std::size_t first = t.Find("<key>");
    if (first == npos || t.Find("</key>", first) == npos) return false;
    for (std::size_t k = t.Find("<key>"); k != npos;) {
        const std::size_t e = t.Find("</key>", k + 5), s = e == npos ? npos : t.Find("<string>", e);
        const std::size_t f = s == npos ? npos : t.Find("</string>", s + 8);
        if (f == npos) break;
        put(t.Sub(k + 5, e - k - 5), t.Sub(s + 8, f - s - 8));
        k = t.Find("<key>", s + 9);
    }
    return true;
}

// What a store holds after the scan: keys in first-put order, last value wins.
std::pair<bool, Store> stored(bool (*scan)(const String&, const Put&), const std::string& text)
{
    Store store;
    const bool result = scan(String(text), [&](const String& k, const String& v) {
        auto at = std::find_if(store.begin(), store.end(), [&](const auto& e) { return e.first == k; });
        (at == store.end() ? store.emplace_back(k, v) : *at) = {k, v};
    });
    return {result, store};
}

std::vector<std::string> corpus()
{
    const std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n\t<key>"
                             "Window1.Top</key>\n\t\n\t<string>40</string>\n\t</dict>\n</plist>\n\n";
    std::vector<std::string> texts = {file, "Window1.Width\001400\001\001-2147483648"};
    const std::string damaged = "<key>a</key><string><key>b</key><string>1</string><key>a</key><string>2<key>a"
                                "</key><string><key>c</key><string></string><key>b</key><string>3</string>";
    for (const std::string& whole : {file, damaged})
        for (std::size_t n = 0; n <= whole.size(); ++n) texts.push_back(whole.substr(0, n));
    std::string copies;
    for (int n = 0; n < 40; ++n) texts.push_back(copies += "<key>k" + std::to_string(n % 3) + "</key><string>");
    texts.push_back(copies + "</string>");
    const char* tokens[] = {"<key>", "</key>", "<string>", "</string>", "a", "b", "\n\t", "<", "key>", "</"};
    std::mt19937 random(7);
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        for (auto count = random() % 40; count > 0; --count) text += tokens[random() % std::size(tokens)];
        texts.push_back(text);
    }
    return texts;
}

TEST(ScanPlistText, StoresWhatThePlainScanStored)
{
    for (const auto& text : corpus()) EXPECT_EQ(stored(ScanPlistText, text), stored(referenceScan, text)) << text;
}

} // namespace
