#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/Dictionary.h"
#include "framework/Variant.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(Variant, TextToInt32)
{
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"400", 400}, {"-500", -500}, {"+7", 7}, {"  12", 12}, {"\t3", 3}, {"0040", 40},
        {"12abc", 12}, {"1.9", 1}, {"1e3", 1}, {"abc", 0}, {"", 0}, {"-", 0}, {" - 5", 0},
        {"2147483647", kMax}, {"2147483648", kMax}, {"99999999999999999999999", kMax},
        {"-2147483648", kMin}, {"-2147483649", kMin}, {"-99999999999999999999999", kMin},
        {"\xEF\xBC\x95", 0},  // a full-width digit is not a decimal digit
    };
    for (const auto& c : cases)
        EXPECT_EQ(VariantToInt32(StringToVariant(c.text)), c.expected) << '"' << c.text << '"';
}

TEST(Variant, OtherKindsToInt32)
{
    EXPECT_EQ(VariantToInt32(Variant()), 0);
    EXPECT_EQ(VariantToInt32(Variant(true)), 1);
    EXPECT_EQ(VariantToInt32(Variant(false)), 0);
    EXPECT_EQ(VariantToInt32(Variant(3.7)), 3);
    EXPECT_EQ(VariantToInt32(Variant(-3.7)), -3);
    EXPECT_EQ(VariantToInt32(Variant(1e20)), kMax);
    EXPECT_EQ(VariantToInt32(Variant(-1e20)), kMin);
    EXPECT_EQ(VariantToInt32(Variant(std::nan(""))), 0);
}

TEST(Variant, Int32TextRoundTrip)
{
    for (int32_t v : {0, 1, -1, 40, 10, 400, 120, -500, kMax, kMin}) {
        const String text = VariantToString(Int32ToVariant(v));
        EXPECT_EQ(text, Str(v));
        EXPECT_EQ(VariantToInt32(StringToVariant(text)), v);
    }
    EXPECT_EQ(VariantToString(Int32ToVariant(400)), String("400"));
    EXPECT_EQ(VariantToString(Variant()), String());
    EXPECT_EQ(VariantToString(Variant(true)), String("True"));
    EXPECT_EQ(VariantToString(StringToVariant("a<&>")), String("a<&>"));
}

TEST(Variant, EqualityKeepsKindsApart)
{
    EXPECT_EQ(StringToVariant("x"), Variant("x"));
    EXPECT_EQ(Variant("x").GetType(), Variant::Type::String);
    EXPECT_NE(Int32ToVariant(1), StringToVariant("1"));
    EXPECT_NE(Int32ToVariant(1), Variant(true));
    EXPECT_NE(StringToVariant("a"), StringToVariant("A"));
    EXPECT_EQ(Variant(std::nan("")), Variant(std::nan("")));
    EXPECT_EQ(Variant(0.0).Hash(), Variant(-0.0).Hash());
}

TEST(Dictionary, EnumeratesInInsertionOrderAndReplacesInPlace)
{
    Dictionary d;
    d.Value(Variant("b"), Int32ToVariant(1));
    d.Value(Variant("a"), Int32ToVariant(2));
    d.Value(Int32ToVariant(7), Variant("seven"));
    d.Value(Variant("b"), Int32ToVariant(3));

    EXPECT_EQ(d.Count(), 3);
    EXPECT_EQ(d.Keys(), (std::vector<Variant>{Variant("b"), Variant("a"), Int32ToVariant(7)}));
    EXPECT_EQ(d.Values(), (std::vector<Variant>{Int32ToVariant(3), Int32ToVariant(2), Variant("seven")}));
    EXPECT_TRUE(d.HasKey(Variant("a")));
    EXPECT_FALSE(d.HasKey(Variant("7")));
    EXPECT_EQ(d.Value(Variant("b")), Int32ToVariant(3));
    EXPECT_THROW(d.Value(Variant("missing")), KeyNotFoundException);
}

TEST(Dictionary, ManyKeysStayPaired)
{
    Dictionary d;
    for (int32_t i = 0; i < 10000; ++i) d.Value(StringToVariant(Str(i)), Int32ToVariant(i));
    for (int32_t i = 0; i < 10000; i += 3) d.Value(StringToVariant(Str(i)), Int32ToVariant(-i));
    const auto keys = d.Keys();
    const auto values = d.Values();
    ASSERT_EQ(keys.size(), 10000u);
    for (int32_t i = 0; i < 10000; ++i) {
        ASSERT_EQ(keys[i], StringToVariant(Str(i)));
        ASSERT_EQ(VariantToInt32(values[i]), i % 3 == 0 ? -i : i);
    }
}

} // namespace
