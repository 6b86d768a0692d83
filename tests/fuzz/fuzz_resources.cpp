// Arbitrary bytes as the resource file: the tree reader either refuses them or
// gives entries that lie inside them, and reading every entry as the program
// does (a sound's samples in place, a picture's bytes) stays inside too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "framework/ResourceIndex_p.h"
#include "framework/SoundWav_p.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

bool inside(std::span<const uint8_t> part, std::span<const uint8_t> whole)
{
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::span<const uint8_t> file(data, size);
    const auto entries = resources::indexResourceData(file);
    if (!entries) return 0;
    // Summed so that every byte is read; the sanitizer sees any read outside.
    volatile unsigned sum = 0;
    for (const auto& [path, bytes] : *entries) {
        require(inside(bytes, file));
        for (uint8_t byte : bytes) sum = sum + byte;
        const auto samples = audio::wavSampleBytes(bytes);
        if (!samples) continue;
        require(inside(*samples, bytes) && samples->size() % 2 == 0);
        for (std::size_t i = 0; i + 1 < samples->size(); i += 2)
            sum = sum + static_cast<unsigned>((*samples)[i] | (*samples)[i + 1] << 8);
    }
    return 0;
}
