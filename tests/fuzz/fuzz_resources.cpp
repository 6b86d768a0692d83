// Arbitrary bytes as the resource file: the tree reader either refuses them or
// gives entries that lie inside them, and reading every entry as the program
// does (a picture's bytes, a sound's samples in place) stays inside too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "framework/ResourceIndex_p.h"
#include "framework/SoundWav_p.h"

namespace {

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
    // Every byte is read, so the sanitizer sees any entry reaching outside.
    volatile unsigned sum = 0;
    for (const auto& [path, bytes] : *entries) {
        for (uint8_t byte : bytes) sum = sum + byte;
        const auto samples = audio::wavSampleBytes(bytes);
        if (!inside(bytes, file) || (samples && (!inside(*samples, bytes) || samples->size() % 2 != 0))) std::abort();
    }
    return 0;
}
