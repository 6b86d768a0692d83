#include "framework/Sound.h"

#include <cstring>
#include <optional>

namespace {

uint32_t readU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t readU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool isId(const uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

struct Chunk {
    std::size_t offset;
    std::size_t size;
};

}

Ref<Sound> Sound::FromWav(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 12 || !isId(bytes.data(), "RIFF") || !isId(bytes.data() + 8, "WAVE")) return nullptr;
    const uint64_t riffEnd = uint64_t(8) + readU32(bytes.data() + 4);
    if (riffEnd < 12 || riffEnd > bytes.size()) return nullptr;

    std::optional<Chunk> format;
    std::optional<Chunk> data;
    for (uint64_t pos = 12; pos + 8 <= riffEnd;) {
        const uint8_t* header = bytes.data() + pos;
        const uint64_t size = readU32(header + 4);
        if (size > riffEnd - pos - 8) return nullptr;
        const Chunk chunk{static_cast<std::size_t>(pos + 8), static_cast<std::size_t>(size)};
        if (isId(header, "fmt ") && !format) format = chunk;
        if (isId(header, "data") && !data) data = chunk;
        // Chunks are padded to an even length.
        pos += 8 + size + (size & 1);
    }
    if (!format || !data || format->size < 16) return nullptr;

    const uint8_t* f = bytes.data() + format->offset;
    const bool pcmMono16At44k = readU16(f) == 1 && readU16(f + 2) == 1 && readU32(f + 4) == uint32_t(kSampleRate)
        && readU32(f + 8) == uint32_t(kSampleRate) * 2 && readU16(f + 12) == 2 && readU16(f + 14) == 16;
    if (!pcmMono16At44k || data->size % 2 != 0) return nullptr;

    std::vector<int16_t> samples(data->size / 2);
    const uint8_t* d = bytes.data() + data->offset;
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(readU16(d + 2 * i));
    return std::make_shared<Sound>(std::move(samples));
}
