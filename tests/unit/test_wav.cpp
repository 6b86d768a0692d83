// The WAV reader: what it takes, and that a bad sound never plays as noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "framework/Sound.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes& out, uint32_t v, int size)
{
    for (int i = 0; i < size; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A RIFF WAVE file of these chunks, odd-sized ones padded.
Bytes riff(std::initializer_list<std::pair<const char*, Bytes>> chunks)
{
    Bytes body{'W', 'A', 'V', 'E'};
    for (const auto& [id, data] : chunks) {
        body.insert(body.end(), id, id + 4);
        put(body, uint32_t(data.size()), 4);
        body.insert(body.end(), data.begin(), data.end());
        if (data.size() % 2) body.push_back(0);
    }
    Bytes out{'R', 'I', 'F', 'F'};
    put(out, uint32_t(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

const Bytes kFmt{1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0}; // PCM, mono, 44100 Hz, 16-bit

Bytes pcm(const std::vector<int16_t>& samples)
{
    Bytes body;
    for (int16_t s : samples) put(body, uint16_t(s), 2);
    return body;
}

const std::vector<int16_t> kSamples{0, 1, -1, 32767, -32768, 1234, -4321};

std::vector<int16_t> decoded(const Bytes& bytes)
{
    const auto sound = Sound::FromWav(bytes);
    if (!sound) return {-1};
    return {sound->Samples().begin(), sound->Samples().end()};
}

TEST(SoundWav, DecodesPcmMono16)
{
    Bytes longFmt = kFmt;
    longFmt.insert(longFmt.end(), {0, 0});
    Bytes trailing = riff({{"fmt ", kFmt}, {"data", pcm(kSamples)}});
    trailing.insert(trailing.end(), {'j', 'u', 'n', 'k'});
    const struct {
        const char* name;
        Bytes bytes;
        std::vector<int16_t> samples;
    } cases[] = {
        {"canonical", riff({{"fmt ", kFmt}, {"data", pcm(kSamples)}}), kSamples},
        {"other chunks skipped, odd ones padded", riff({{"LIST", {1, 2, 3}}, {"fmt ", kFmt}, {"data", pcm(kSamples)}}),
         kSamples},
        {"longer fmt", riff({{"fmt ", longFmt}, {"data", pcm(kSamples)}}), kSamples},
        {"data before fmt", riff({{"data", pcm(kSamples)}, {"fmt ", kFmt}}), kSamples},
        {"first data chunk counts", riff({{"fmt ", kFmt}, {"data", pcm({5})}, {"data", pcm({6})}}), {5}},
        {"bytes after the RIFF chunk ignored", trailing, kSamples},
        {"no samples", riff({{"fmt ", kFmt}, {"data", {}}}), {}},
    };
    for (const auto& c : cases) EXPECT_EQ(decoded(c.bytes), c.samples) << c.name;
}

TEST(SoundWav, RejectsOtherFormatsAndDamage)
{
    const Bytes good = riff({{"fmt ", kFmt}, {"data", pcm(kSamples)}});
    const struct {
        const char* name;
        std::size_t at;
        uint32_t value;
        int size;
    } cases[] = {
        {"not RIFF", 0, 0x58464952, 4},       {"not WAVE", 8, 0x45564158, 4},
        {"float", 20, 3, 2},                  {"extensible", 20, 0xFFFE, 2},
        {"format 257", 20, 0x0101, 2},
        {"stereo", 22, 2, 2},                 {"48 kHz", 24, 48000, 4},
        {"wrong byte rate", 28, 44100, 4},    {"wrong block align", 32, 4, 2},
        {"8-bit", 34, 8, 2},                  {"huge RIFF size", 4, 0xFFFFFFFF, 4},
        {"RIFF size below WAVE", 4, 2, 4},    {"huge fmt size", 16, 0xFFFFFFFF, 4},
        {"short fmt", 16, 4, 4},              {"huge data size", 40, 0xFFFFFFFF, 4},
        {"odd data size", 40, 3, 4},          {"no data chunk", 36, 0x61746164 ^ 0x20, 4},
        {"no fmt chunk", 12, 0x20746d66 ^ 0x20, 4}, {"data one sample past the end", 40, 16, 4},
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        for (int i = 0; i < c.size; ++i) bytes[c.at + std::size_t(i)] = uint8_t(c.value >> (8 * i));
        EXPECT_FALSE(Sound::FromWav(bytes)) << c.name;
    }
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(Sound::FromWav({good.data(), length})) << "truncated to " << length;

    // Half of the garbage starts validly, so that it reaches the chunk walk.
    std::mt19937 noise(1);
    for (int i = 0; i < 200; ++i) {
        Bytes bytes(noise() % 100);
        for (auto& b : bytes) b = uint8_t(noise());
        if (i % 2) std::copy_n(good.begin(), std::min<std::size_t>(12, bytes.size()), bytes.begin());
        EXPECT_FALSE(Sound::FromWav(bytes)) << "garbage " << i;
    }
}

}
