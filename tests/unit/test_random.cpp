#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "framework/Random.h"

namespace {

std::vector<int32_t> draws(double seed, int32_t min, int32_t max, int count)
{
    Random r;
    r.Seed(seed);
    std::vector<int32_t> out;
    for (int i = 0; i < count; ++i) out.push_back(r.InRange(min, max));
    return out;
}

TEST(Random, SameSeedSameSequence)
{
    EXPECT_EQ(draws(0, 0, 93, 500), draws(0, 0, 93, 500));
    EXPECT_NE(draws(0, 0, 93, 50), draws(1, 0, 93, 50));
    // A fresh generator runs as if seeded with 0.
    Random fresh;
    std::vector<int32_t> unseeded;
    for (int i = 0; i < 50; ++i) unseeded.push_back(fresh.InRange(0, 93));
    EXPECT_EQ(unseeded, draws(0, 0, 93, 50));
    // Setting the seed again restarts the sequence.
    Random r;
    r.Seed(7);
    const int32_t first = r.InRange(0, 1000);
    r.InRange(0, 1000);
    r.Seed(7);
    EXPECT_EQ(r.InRange(0, 1000), first);
}

// The full range passes the engine's output through unchanged, and the
// standard fixes mt19937's 10000th output for seed 5489: 4123659995.
TEST(Random, FullRangeIsTheStandardEngine)
{
    const auto all = draws(5489, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 10000);
    EXPECT_EQ(int64_t(all.back()) - std::numeric_limits<int32_t>::min(), 4123659995LL);
}

// Pinned so that the characters keep their sounds on every platform and library.
TEST(Random, SeedZeroSequenceIsPinned)
{
    const std::vector<int32_t> expected{34, 21, 41, 50, 39, 63, 31, 91, 23, 5, 35, 0, 10, 69, 34, 56, 62, 30, 74, 17};
    EXPECT_EQ(draws(0, 0, 93, int(expected.size())), expected);
}

TEST(Random, SeedConversion)
{
    const struct {
        double seed;
        double same;
    } cases[] = {
        {0.9, 0}, {-0.9, 0}, {std::nan(""), 0}, {INFINITY, 0}, {-INFINITY, 0},
        {-1, 4294967295.0}, {4294967296.0 + 5, 5}, {12.5, 12}, {1e300, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(draws(c.seed, 0, 1000000, 20), draws(c.same, 0, 1000000, 20)) << c.seed;
}

TEST(Random, EveryValueOfTheRangeComesUp)
{
    const struct {
        int32_t min, max;
    } ranges[] = {{0, 93}, {-3, 3}, {5, 5}, {0, 1}, {-2147483647 - 1, -2147483647}, {2147483646, 2147483647}};
    for (const auto& range : ranges) {
        const auto values = draws(0, range.min, range.max, 4000);
        const int64_t span = int64_t(range.max) - range.min + 1;
        std::vector<int> hits(static_cast<std::size_t>(span), 0);
        for (int32_t v : values) {
            ASSERT_GE(v, range.min);
            ASSERT_LE(v, range.max);
            ++hits[static_cast<std::size_t>(int64_t(v) - range.min)];
        }
        EXPECT_EQ(std::count(hits.begin(), hits.end(), 0), 0) << range.min << ".." << range.max;
    }
    Random r;
    for (int i = 0; i < 100; ++i) {
        const int32_t v = r.InRange(10, -10);
        ASSERT_TRUE(v >= -10 && v <= 10) << v;
    }
}

}
