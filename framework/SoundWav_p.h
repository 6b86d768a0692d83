#pragma once
// The reading of a WAV file, apart from Sound so that the fuzz target can
// build it alone.
#include <cstdint>
#include <optional>
#include <span>

namespace audio {

// The sample bytes (little-endian, two per frame) of a RIFF/WAVE file holding
// 16-bit PCM, one channel, 44,100 Hz: a part of wav. nullopt for anything
// else, including damaged or truncated data.
std::optional<std::span<const uint8_t>> wavSampleBytes(std::span<const uint8_t> wav);

}
