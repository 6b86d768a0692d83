#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "framework/String.h"

namespace {

// U+1F600, outside the Basic Multilingual Plane: four UTF-8 bytes, one character.
const char* const kFace = "\xF0\x9F\x98\x80";

std::vector<std::string> utf8(const std::vector<String>& parts)
{
    std::vector<std::string> out;
    for (const auto& p : parts) out.push_back(p.ToUtf8());
    return out;
}

TEST(Strings, Split)
{
    const std::string faceText = std::string("a") + kFace + "b";
    const struct {
        std::string text, delimiter;
        std::vector<std::string> parts;
    } cases[] = {
        {"abc", "", {"a", "b", "c"}},
        {faceText, "", {"a", kFace, "b"}},
        {"\xC3\xA9t\xC3\xA9", "", {"\xC3\xA9", "t", "\xC3\xA9"}},
        {"", "", {}},
        {"a,b,,c", ",", {"a", "b", "", "c"}},
        {"a::b::", "::", {"a", "b", ""}},
        {"", ",", {""}},
        {"abc", ";", {"abc"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8(Split(String(c.text), String(c.delimiter))), c.parts) << c.text << " / " << c.delimiter;
}

// Every function counts code points, so a character outside the BMP is one
// character everywhere, as it is in the text field's selection.
TEST(Strings, CountsCodePoints)
{
    const String mixed(std::string("a") + kFace + "\xC3\xA9" + "b");
    EXPECT_EQ(Len(mixed), 4);
    EXPECT_EQ(Mid(mixed, 2, 1).ToUtf8(), kFace);
    EXPECT_EQ(Mid(mixed, 3, 1).ToUtf8(), "\xC3\xA9");
    EXPECT_EQ(InStr(mixed, "b"), 4);
    EXPECT_EQ(Asc(Mid(mixed, 2, 1)), 0x1F600);
    EXPECT_EQ(Asc(Chr(0x1F600)), 0x1F600);
    EXPECT_EQ(mixed.ToUtf8(), std::string("a") + kFace + "\xC3\xA9" + "b");
}

TEST(Strings, LenAndAsc)
{
    const struct {
        std::string text;
        int32_t len, asc;
    } cases[] = {
        {"", 0, 0}, {"A", 1, 65}, {"\r", 1, 13}, {"\xC3\xA9", 1, 0xE9}, {kFace, 1, 0x1F600}, {"hello", 5, 'h'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Len(String(c.text)), c.len) << c.text;
        EXPECT_EQ(Asc(String(c.text)), c.asc) << c.text;
    }
}

TEST(Strings, MidIsOneBased)
{
    const struct {
        int32_t start, count;
        std::string expected;
    } cases[] = {
        {1, -1, "hello"}, {2, 3, "ell"}, {5, 1, "o"}, {4, 99, "lo"},
        {6, 1, ""},       {99, 2, ""},   {0, 2, "he"}, {2, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mid("hello", c.start, c.count).ToUtf8(), c.expected) << c.start << "," << c.count;
}

TEST(Strings, InStrIsOneBasedAndZeroWhenAbsent)
{
    const struct {
        int32_t start;
        std::string text, find;
        int32_t expected;
    } cases[] = {
        {1, "hello", "l", 3},  {0, "hello", "l", 3},   {4, "hello", "l", 4}, {5, "hello", "l", 0},
        {1, "hello", "z", 0},  {99, "hello", "o", 0},  {1, "", "a", 0},      {-3, "hello", "h", 1},
        {1, "hello", "lo", 4}, {1, "hello", "hello!", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InStr(c.start, String(c.text), String(c.find)), c.expected) << c.start << " " << c.text << " " << c.find;
}

TEST(Strings, StrAndVal)
{
    EXPECT_EQ(Str(0).ToUtf8(), "0");
    EXPECT_EQ(Str(-5).ToUtf8(), "-5");
    EXPECT_EQ(Str(std::numeric_limits<int32_t>::max()).ToUtf8(), "2147483647");
    EXPECT_EQ(Str(3.0).ToUtf8(), "3");
    EXPECT_EQ(Str(1.5).ToUtf8(), "1.5");

    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::string text;
        double expected;
    } cases[] = {
        {"12abc", 12},    {"  -3.5x", -3.5}, {"\t+7", 7},      {".5", 0.5},    {"1e3", 1000},   {"12e", 12},
        {"12e+", 12},     {"2E-2", 0.02},    {"", 0},          {"abc", 0},     {"-", 0},        {".", 0},
        {"--5", 0},       {"+-5", 0},        {"inf", 0},       {"nan", 0},     {"0x10", 0},     {"1e400", inf},
        {"-1e400", -inf}, {"1e-400", 0},     {"0.0001e-320", 0}, {std::string(400, '9'), inf},
        {"\xD9\xA3", 0}, // an Arabic-Indic digit is no number here
    };
    for (const auto& c : cases) EXPECT_EQ(Val(String(c.text)), c.expected) << '"' << c.text << '"';
}

// Bad bytes never crash and never vanish: each becomes U+FFFD.
TEST(Strings, MalformedUtf8BecomesReplacementCharacters)
{
    const std::u32string R(1, U'\xFFFD');
    const struct {
        std::string bytes;
        std::u32string chars;
    } cases[] = {
        {"\xFF", R},
        {"a\xC3", U"a" + R},                 // cut short at the end
        {"\xC3(", R + U"("},                 // continuation missing
        {"\x80x", R + U"x"},                 // stray continuation byte
        {"\xC0\xAF", R + R},                 // overlong encoding of '/'
        {"\xED\xA0\x80", R + R + R},         // a UTF-16 surrogate encoded as UTF-8
        {"\xF4\x90\x80\x80", R + R + R + R}, // above U+10FFFF
        {std::string("\xE2\x82") + kFace, R + R + U"\U0001F600"},
    };
    for (const auto& c : cases) {
        const String s(c.bytes);
        EXPECT_EQ(s.Chars(), c.chars) << testing::PrintToString(c.bytes);
        EXPECT_EQ(Len(s), static_cast<int32_t>(c.chars.size()));
        EXPECT_EQ(String(s.ToUtf8()), s) << "re-encoding is stable";
    }
}

TEST(Strings, NoCharacterAndNoTextAreHarmless)
{
    EXPECT_EQ(String(static_cast<const char*>(nullptr)), String());
    EXPECT_EQ(Chr(65).ToUtf8(), "A");
    EXPECT_EQ(Chr(13).ToUtf8(), "\r");
    for (int32_t code : {-1, 0xD800, 0xDFFF, 0x110000, std::numeric_limits<int32_t>::max()})
        EXPECT_EQ(Asc(Chr(code)), 0xFFFD) << code;
}

} // namespace
