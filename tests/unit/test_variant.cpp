#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/Variant.h"

namespace {

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
