#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "framework/String.h"
#include "framework/Variant.h"

namespace {

// U+1F600, outside the Basic Multilingual Plane: four UTF-8 bytes, one character.
const std::string kFace = "\xF0\x9F\x98\x80";

TEST(Strings, Split)
{
    const struct {
        std::string text, delimiter;
        std::vector<std::string> parts;
    } cases[] = {
        {"abc", "", {"a", "b", "c"}}, {"a" + kFace + "\xC3\xA9", "", {"a", kFace, "\xC3\xA9"}}, {"", "", {}},
        {"a,b,,c", ",", {"a", "b", "", "c"}}, {"a::b::", "::", {"a", "b", ""}}, {"", ",", {""}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (const auto& p : Split(String(c.text), String(c.delimiter))) got.push_back(p.ToUtf8());
        EXPECT_EQ(got, c.parts) << c.text << " / " << c.delimiter;
    }
}

// Every function counts code points, so a character outside the BMP is one
// character everywhere, as it is in the text field's selection.
TEST(Strings, LenAscAndChrCountCodePoints)
{
    const struct {
        std::string text;
        int32_t len, asc;
    } cases[] = {
        {"", 0, 0}, {"\r", 1, 13}, {"\xC3\xA9", 1, 0xE9}, {kFace, 1, 0x1F600}, {"a" + kFace + "\xC3\xA9" + "b", 4, 'a'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Len(String(c.text)), c.len) << c.text;
        EXPECT_EQ(Asc(String(c.text)), c.asc) << c.text;
    }
    const String mixed("a" + kFace + "\xC3\xA9" + "b");
    EXPECT_EQ(Mid(mixed, 2, 1).ToUtf8(), kFace);
    EXPECT_EQ(InStr(mixed, "b"), 4);
    EXPECT_EQ(Asc(Chr(0x1F600)), 0x1F600);
    EXPECT_EQ(Chr(13).ToUtf8(), "\r");
    EXPECT_EQ(Chr(0x20AC).ToUtf8(), "\xE2\x82\xAC");
    EXPECT_EQ(Chr(0).Chars(), std::u32string(1, U'\0'));
    for (int32_t code : {-1, 0xD800, 0x110000, std::numeric_limits<int32_t>::max()})
        EXPECT_EQ(Asc(Chr(code)), 0xFFFD) << code;
}

TEST(Strings, MidAndInStrAreOneBased)
{
    const struct {
        int32_t start, count;
        std::string expected;
    } mids[] = {{1, -1, "hello"}, {2, 3, "ell"}, {4, 99, "lo"}, {6, 1, ""}, {0, 2, "he"}, {2, 0, ""}};
    for (const auto& c : mids)
        EXPECT_EQ(Mid("hello", c.start, c.count).ToUtf8(), c.expected) << c.start << "," << c.count;

    const struct {
        int32_t start;
        std::string text, find;
        int32_t expected;
    } finds[] = {
        {1, "hello", "l", 3},  {0, "hello", "l", 3}, {4, "hello", "l", 4},   {5, "hello", "l", 0},
        {1, "hello", "z", 0},  {99, "hello", "o", 0}, {1, "", "a", 0},       {-3, "hello", "h", 1},
        {1, "hello", "lo", 4}, {1, "hello", "hello!", 0},
    };
    for (const auto& c : finds)
        EXPECT_EQ(InStr(c.start, String(c.text), String(c.find)), c.expected) << c.start << " " << c.text << " " << c.find;

    const struct {
        std::string text, separator;
        int32_t index;
        std::string expected;
    } fields[] = {{"a,bc,,d", ",", 2, "bc"}, {"a,bc,,d", ",", 3, ""}, {"a,bc,,d", ",", 4, "d"}, {"a,b", ",", 3, ""},
                  {"a::b::c", "::", 3, "c"}, {"abc", ",", 1, "abc"},  {"a,b", ",", 0, ""},       {"a,b", "", 1, ""}};
    for (const auto& c : fields)
        EXPECT_EQ(NthField(String(c.text), String(c.separator), c.index).ToUtf8(), c.expected) << c.text << " " << c.index;
}

TEST(Strings, StrAndVal)
{
    EXPECT_EQ(Str(-5).ToUtf8(), "-5");
    EXPECT_EQ(Str(3.0).ToUtf8(), "3");
    EXPECT_EQ(Str(1.5).ToUtf8(), "1.5");

    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::string text;
        double expected;
    } cases[] = {
        {"12abc", 12}, {"  -3.5x", -3.5}, {"\t+7", 7}, {".5", 0.5},   {"1e3", 1000},       {"12e+", 12},
        {"", 0},       {"-", 0},          {"+-5", 0},  {"inf", 0},    {"nan", 0},          {"0x10", 0},
        {"1e400", inf}, {"-1e400", -inf}, {"1e-400", 0}, {std::string(400, '9'), inf},
        {"0." + std::string(400, '0') + "1e1", 0}, // out of range, and small
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
        {"\xE2\x82" + kFace, R + R + U"\U0001F600"},
    };
    for (const auto& c : cases) {
        const String s(c.bytes);
        EXPECT_EQ(s.Chars(), c.chars) << testing::PrintToString(c.bytes);
        EXPECT_EQ(Len(s), static_cast<int32_t>(c.chars.size()));
        EXPECT_EQ(String(s.ToUtf8()), s) << "re-encoding is stable";
    }
    EXPECT_EQ(String(static_cast<const char*>(nullptr)), String());
    EXPECT_EQ(String(std::string_view("a\xC3\xA9", 2)).Chars(), U"a" + R) << "nothing is read past the end";
    EXPECT_EQ(Lowercase(Join({"A", "\xC3\x89Z", ""}, "-")), String("a-\xC3\x89z-"));
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(Variant, ToInt32)
{
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"-500", -500}, {"+7", 7}, {"\t3", 3}, {"0040", 40}, {"12abc", 12}, {"1.9", 1}, {"1e3", 1}, {"abc", 0},
        {"", 0}, {" - 5", 0}, {"2147483648", kMax}, {"99999999999999999999999", kMax}, {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"\xEF\xBC\x95", 0}, // a full-width digit is not a decimal digit
    };
    for (const auto& c : cases)
        EXPECT_EQ(VariantToInt32(StringToVariant(c.text)), c.expected) << '"' << c.text << '"';

    const std::pair<Variant, int32_t> others[] = {
        {Variant(), 0},         {Variant(true), 1},      {Variant(-3.7), -3},
        {Variant(1e20), kMax}, {Variant(-1e20), kMin}, {Variant(std::nan("")), 0},
    };
    for (const auto& [v, expected] : others) EXPECT_EQ(VariantToInt32(v), expected) << VariantToString(v).ToUtf8();
}

TEST(Variant, TextAndEquality)
{
    for (int32_t v : {0, -1, 400, kMax, kMin}) EXPECT_EQ(VariantToString(Int32ToVariant(v)), Str(v));
    EXPECT_EQ(VariantToString(Variant()), String());
    EXPECT_EQ(VariantToString(Variant(true)), String("True"));

    EXPECT_EQ(Variant("x").GetType(), Variant::Type::String);
    EXPECT_NE(Int32ToVariant(1), StringToVariant("1"));
    EXPECT_NE(Int32ToVariant(1), Variant(true));
    EXPECT_NE(StringToVariant("a"), StringToVariant("A"));
    EXPECT_EQ(Variant(std::nan("")), Variant(std::nan("")));
    EXPECT_EQ(Variant(0.0).Hash(), Variant(-0.0).Hash());
}

} // namespace
