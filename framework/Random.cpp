#include "framework/Random.h"

#include <cmath>
#include <utility>

namespace {

uint32_t seedBits(double seed)
{
    if (!std::isfinite(seed)) return 0;
    double reduced = std::fmod(std::trunc(seed), 4294967296.0);
    if (reduced < 0) reduced += 4294967296.0;
    return static_cast<uint32_t>(reduced);
}

}

Random::Random() : m_engine(0u) {}

void Random::Seed(double seed)
{
    m_engine.seed(seedBits(seed));
}

int32_t Random::InRange(int32_t min, int32_t max)
{
    if (min > max) std::swap(min, max);
    // mt19937's output is fixed by the standard; the mapping onto the range is
    // ours because std::uniform_int_distribution differs between libraries.
    const uint64_t count = static_cast<uint64_t>(static_cast<int64_t>(max) - min) + 1;
    uint64_t draw = m_engine();
    if (count < (uint64_t(1) << 32)) {
        // Reject the top values that would favour the low end of the range.
        const uint64_t limit = (uint64_t(1) << 32) - ((uint64_t(1) << 32) % count);
        while (draw >= limit) draw = m_engine();
        draw %= count;
    }
    return static_cast<int32_t>(static_cast<int64_t>(min) + static_cast<int64_t>(draw));
}
