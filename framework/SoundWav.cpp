#include "framework/SoundWav_p.h"

#include <cstring>

#include "framework/Sound.h"

namespace audio {

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

}

std::optional<std::span<const uint8_t>> wavSampleBytes(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 12) return std::nullopt;
    const uint8_t* riff = bytes.data();
    if (!isId(riff, "RIFF") || !isId(riff + 8, "WAVE")) return std::nullopt;
    const uint64_t riffEnd = uint64_t(8) + readU32(riff + 4);
    if (riffEnd < 12 || riffEnd > bytes.size()) return std::nullopt;

    std::optional<std::span<const uint8_t>> format;
    std::optional<std::span<const uint8_t>> data;
    for (uint64_t pos = 12; pos + 8 <= riffEnd;) {
        const uint8_t* header = bytes.data() + pos;
        const uint64_t size = readU32(header + 4);
        if (size > riffEnd - pos - 8) return std::nullopt;
        const auto chunk = bytes.subspan(static_cast<std::size_t>(pos + 8), static_cast<std::size_t>(size));
        if (isId(header, "fmt ") && !format) format = chunk;
        if (isId(header, "data") && !data) data = chunk;
        // Chunks are padded to an even length.
        pos += 8 + size + (size & 1);
    }
    if (!format || !data || format->size() < 16) return std::nullopt;

    const uint8_t* f = format->data();
    const auto rate = uint32_t(Sound::kSampleRate);
    const bool pcmMono16At44k = readU16(f) == 1 && readU16(f + 2) == 1 && readU32(f + 4) == rate
        && readU32(f + 8) == rate * 2 && readU16(f + 12) == 2 && readU16(f + 14) == 16;
    if (!pcmMono16At44k || data->size() % 2 != 0) return std::nullopt;
    return data;
}

}
