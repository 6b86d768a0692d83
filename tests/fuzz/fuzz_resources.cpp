// Arbitrary bytes as the resource file: the reader either refuses them or
// gives entries that lie inside them, read as the program reads them (the
// header, then the index from where it starts, then each entry's length and
// bytes), and decoding every entry as a sound stays inside it too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

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
    const auto layout = resources::readLayout(file.first(std::min(size, resources::kHeaderSize)), size);
    if (!layout) return 0;
    // A copy of its own, so that the sanitizer sees any read before the index.
    const std::vector<uint8_t> index(file.begin() + std::ptrdiff_t(layout->indexStart()), file.end());
    const auto entries = resources::indexResourceData(*layout, index);
    if (!entries) return 0;
    for (const auto& [path, at] : *entries) {
        if (at + 4 > size) std::abort();
        const auto length = resources::entryLength(*layout, at, file.subspan(at).first<4>());
        if (!length) continue;
        // Its own copy too, as the program reads it.
        const std::vector<uint8_t> bytes(file.begin() + std::ptrdiff_t(at + 4),
                                         file.begin() + std::ptrdiff_t(at + 4 + *length));
        const auto samples = audio::wavSampleBytes(bytes);
        if (samples && (!inside(*samples, bytes) || samples->size() % 2 != 0)) std::abort();
    }
    return 0;
}
