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

// Pinned so that the characters keep their sounds on every platform and library.
TEST(Random, SequenceIsFixedByTheSeed)
{
    EXPECT_EQ(draws(0, 0, 93, 20),
              (std::vector<int32_t>{34, 21, 41, 50, 39, 63, 31, 91, 23, 5, 35, 0, 10, 69, 34, 56, 62, 30, 74, 17}));
    EXPECT_NE(draws(0, 0, 93, 50), draws(1, 0, 93, 50));
    // The full range passes the engine through unchanged; the standard fixes
    // mt19937's 10000th output for seed 5489.
    constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(int64_t(draws(5489, lo, hi, 10000).back()) - lo, 4123659995LL);
    // A fresh generator runs as if seeded with 0, and seeding again restarts it.
    Random r;
    EXPECT_EQ(r.InRange(0, 93), 34);
    r.InRange(0, 93);
    r.Seed(0);
    EXPECT_EQ(r.InRange(0, 93), 34);
}

TEST(Random, SeedConversion)
{
    const struct {
        double seed, same;
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
    } ranges[] = {{0, 93}, {-3, 3}, {5, 5}, {0, 1}, {-2147483647 - 1, -2147483647}, {2147483646, 2147483647}, {10, -10}};
    for (const auto& range : ranges) {
        const int32_t lo = std::min(range.min, range.max), hi = std::max(range.min, range.max);
        std::vector<int> hits(std::size_t(int64_t(hi) - lo + 1), 0);
        for (int32_t v : draws(0, range.min, range.max, 4000)) {
            ASSERT_TRUE(v >= lo && v <= hi) << v << " outside " << range.min << ".." << range.max;
            ++hits[std::size_t(int64_t(v) - lo)];
        }
        EXPECT_EQ(std::count(hits.begin(), hits.end(), 0), 0) << range.min << ".." << range.max;
    }
}

}
