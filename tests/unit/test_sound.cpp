#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "framework/Sound.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes& out, uint32_t v, int size)
{
    for (int i = 0; i < size; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void chunk(Bytes& out, const char* id, const Bytes& body)
{
    out.insert(out.end(), id, id + 4);
    put(out, uint32_t(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

Bytes riff(const Bytes& chunks)
{
    Bytes out{'R', 'I', 'F', 'F'};
    put(out, uint32_t(4 + chunks.size()), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

Bytes fmtBody()
{
    Bytes body;
    for (auto [value, size] : {std::pair{1u, 2}, {1u, 2}, {44100u, 4}, {88200u, 4}, {2u, 2}, {16u, 2}}) put(body, value, size);
    return body;
}

Bytes dataBody(const std::vector<int16_t>& samples)
{
    Bytes body;
    for (int16_t s : samples) put(body, uint16_t(s), 2);
    return body;
}

// The canonical 44-byte header, then the samples.
Bytes wav(const std::vector<int16_t>& samples)
{
    Bytes chunks;
    chunk(chunks, "fmt ", fmtBody());
    chunk(chunks, "data", dataBody(samples));
    return riff(chunks);
}

const std::vector<int16_t> kSamples{0, 1, -1, 32767, -32768, 1234, -4321};

std::vector<int16_t> samplesOf(const Ref<Sound>& sound)
{
    return {sound->Samples().begin(), sound->Samples().end()};
}

TEST(SoundWav, DecodesPcmMono16)
{
    ASSERT_TRUE(Sound::FromWav(wav(kSamples)));
    EXPECT_EQ(samplesOf(Sound::FromWav(wav(kSamples))), kSamples);

    // Other chunks, odd-sized ones included, are skipped; fmt may be longer than 16 bytes.
    Bytes chunks;
    chunk(chunks, "LIST", {1, 2, 3});
    Bytes longFmt = fmtBody();
    longFmt.insert(longFmt.end(), {0, 0});
    chunk(chunks, "fmt ", longFmt);
    chunk(chunks, "data", dataBody(kSamples));
    Bytes withTrailer = riff(chunks);
    withTrailer.insert(withTrailer.end(), {'j', 'u', 'n', 'k'});
    ASSERT_TRUE(Sound::FromWav(withTrailer));
    EXPECT_EQ(samplesOf(Sound::FromWav(withTrailer)), kSamples);

    ASSERT_TRUE(Sound::FromWav(wav({})));
    EXPECT_EQ(Sound::FromWav(wav({}))->LengthFrames(), 0);
}

TEST(SoundWav, RejectsOtherFormatsAndDamage)
{
    const Bytes good = wav(kSamples);
    const struct {
        const char* name;
        std::size_t at;
        uint32_t value;
        int size;
    } cases[] = {
        {"not RIFF", 0, 0x58464952, 4},       {"not WAVE", 8, 0x45564158, 4},
        {"float", 20, 3, 2},                  {"extensible", 20, 0xFFFE, 2},
        {"stereo", 22, 2, 2},                 {"48 kHz", 24, 48000, 4},
        {"wrong byte rate", 28, 44100, 4},    {"wrong block align", 32, 4, 2},
        {"8-bit", 34, 8, 2},                  {"huge RIFF size", 4, 0xFFFFFFFF, 4},
        {"RIFF size below WAVE", 4, 2, 4},    {"huge fmt size", 16, 0xFFFFFFFF, 4},
        {"short fmt", 16, 4, 4},              {"huge data size", 40, 0xFFFFFFFF, 4},
        {"odd data size", 40, 3, 4},          {"no data chunk", 36, 0x61746164 ^ 0x20, 4},
        {"no fmt chunk", 12, 0x20746d66 ^ 0x20, 4},
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        for (int i = 0; i < c.size; ++i) bytes[c.at + std::size_t(i)] = uint8_t(c.value >> (8 * i));
        EXPECT_FALSE(Sound::FromWav(bytes)) << c.name;
    }
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(Sound::FromWav({good.data(), length})) << "truncated to " << length;

    std::mt19937 noise(1);
    for (int i = 0; i < 200; ++i) {
        Bytes bytes(noise() % 100);
        for (auto& b : bytes) b = uint8_t(noise());
        // A valid start sends the garbage through the chunk walk.
        if (i % 2) std::copy_n(good.begin(), std::min<std::size_t>(12, bytes.size()), bytes.begin());
        Sound::FromWav(bytes);
    }
}

Ref<Sound> constant(int16_t value, std::size_t frames)
{
    return std::make_shared<Sound>(std::vector<int16_t>(frames, value));
}

class Mixer : public ::testing::Test {
protected:
    void SetUp() override { AudioTesting::UseManualClock(); }
    void TearDown() override { AudioQuit(); }
};

TEST_F(Mixer, PlaysUntilTheLastFrameIsTaken)
{
    const auto sound = std::make_shared<Sound>(kSamples);
    EXPECT_FALSE(sound->IsPlaying());
    sound->Play();
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_EQ(sound->RemainingFrames(), 7);
    EXPECT_EQ(AudioTesting::Advance(6), std::vector<int16_t>(kSamples.begin(), kSamples.begin() + 6));
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_EQ(sound->RemainingFrames(), 1);
    EXPECT_EQ(AudioTesting::Advance(3), (std::vector<int16_t>{-4321, 0, 0}));
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(sound->RemainingFrames(), 0);

    const auto empty = std::make_shared<Sound>(std::vector<int16_t>{});
    empty->Play();
    EXPECT_FALSE(empty->IsPlaying());
}

TEST_F(Mixer, PlayingAgainRestartsTheOneVoice)
{
    const auto sound = constant(100, 1000);
    const auto other = constant(1, 5);
    sound->Play();
    AudioTesting::Advance(600);
    other->Play();
    sound->Play();
    EXPECT_EQ(sound->RemainingFrames(), 1000);
    const auto out = AudioTesting::Advance(1001);
    EXPECT_EQ(std::count(out.begin(), out.end(), 100), 995) << "not doubled";
    EXPECT_EQ(out.back(), 0);
    EXPECT_FALSE(sound->IsPlaying());
    sound->Play();
    EXPECT_EQ(sound->RemainingFrames(), 1000);
    EXPECT_EQ(AudioTesting::PlayLog(), (std::vector<const Sound*>{sound.get(), other.get(), sound.get(), sound.get()}));

    AudioTesting::UseManualClock();
    EXPECT_TRUE(AudioTesting::PlayLog().empty());
    EXPECT_FALSE(sound->IsPlaying());
}

TEST_F(Mixer, VoicesAddUpAndSaturate)
{
    const struct {
        int16_t a, b, sum;
    } cases[] = {{1000, 2000, 3000}, {30000, 30000, 32767}, {-30000, -30000, -32768}, {32767, -32768, -1}};
    for (const auto& c : cases) {
        const auto a = constant(c.a, 10);
        const auto b = constant(c.b, 4);
        a->Play();
        b->Play();
        const auto out = AudioTesting::Advance(10);
        EXPECT_EQ(out[0], c.sum) << c.a << " + " << c.b;
        EXPECT_EQ(out[3], c.sum);
        EXPECT_EQ(out[4], c.a);
    }
}

TEST_F(Mixer, StopAndDestructionSilence)
{
    const auto stopped = constant(500, 100);
    auto dropped = constant(700, 100);
    stopped->Play();
    dropped->Play();
    stopped->Stop();
    EXPECT_FALSE(stopped->IsPlaying());
    dropped.reset();
    const auto out = AudioTesting::Advance(100);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 100);
    AudioQuit();
    EXPECT_THROW(AudioTesting::Advance(1), std::logic_error);
}

// The real device, with the SDL driver a test names.
class Device : public ::testing::Test {
protected:
    void SetUp() override { AudioQuit(); }
    void TearDown() override
    {
        AudioQuit();
        if (savedDriver) setenv("SDL_AUDIODRIVER", savedDriver->c_str(), 1);
        else unsetenv("SDL_AUDIODRIVER");
    }

    // Bounded, so that a stuck device fails the test instead of hanging it.
    static bool finishes(const Sound& sound)
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sound.IsPlaying() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return !sound.IsPlaying();
    }

    const std::optional<std::string> savedDriver =
        std::getenv("SDL_AUDIODRIVER") ? std::optional<std::string>(std::getenv("SDL_AUDIODRIVER")) : std::nullopt;
};

TEST_F(Device, DiskDriverReceivesTheSamplesUnchanged)
{
    const auto file = std::filesystem::path(::testing::TempDir()) / "qz-sound-capture.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    std::vector<int16_t> ramp;
    for (int i = 0; i < 3000; ++i) ramp.push_back(int16_t(i * 7 - 10000));
    const auto sound = std::make_shared<Sound>(ramp);
    AudioInit();
    sound->Play();
    EXPECT_TRUE(sound->IsPlaying());
    ASSERT_TRUE(finishes(*sound));
    AudioQuit();
    unsetenv("SDL_DISKAUDIOFILE");

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> captured(raw.size() / 2);
    std::memcpy(captured.data(), raw.data(), captured.size() * 2);
    EXPECT_NE(std::search(captured.begin(), captured.end(), ramp.begin(), ramp.end()), captured.end());
    std::filesystem::remove(file);
}

TEST_F(Device, WithoutADeviceFallsBackToSilentTime)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    AudioInit();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "quib-zerevarove: no sound device available; playing silently\n");
    // The silent driver still takes frames as time passes.
    const auto sound = constant(1, 4410);
    sound->Play();
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_TRUE(finishes(*sound));
}

// SDL would otherwise catch SIGTERM and the program would not end on it.
TEST_F(Device, LeavesTerminationSignalsAlone)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        AudioInit();
        std::raise(SIGTERM);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}

}
