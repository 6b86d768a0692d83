#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "framework/Sound.h"

namespace {

const std::vector<int16_t> kSamples{0, 1, -1, 32767, -32768, 1234, -4321};

Ref<Sound> constant(int16_t value, std::size_t frames)
{
    return std::make_shared<Sound>(std::vector<int16_t>(frames, value));
}

class Mixer : public ::testing::Test {
protected:
    void SetUp() override { AudioTesting::UseManualClock(); }
    void TearDown() override { AudioQuit(); }
};

TEST_F(Mixer, PlaysUntilTheLastFrameIsTakenOrItStops)
{
    const auto sound = std::make_shared<Sound>(kSamples);
    EXPECT_FALSE(sound->IsPlaying());
    sound->Play();
    EXPECT_EQ(AudioTesting::Advance(6), std::vector<int16_t>(kSamples.begin(), kSamples.begin() + 6));
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_EQ(sound->RemainingFrames(), 1);
    // Playing it again restarts its one voice from the first sample.
    sound->Play();
    auto expected = kSamples;
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(AudioTesting::Advance(9), expected);
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(sound->RemainingFrames(), 0);

    const auto empty = constant(0, 0);
    empty->Play();
    EXPECT_FALSE(empty->IsPlaying());
    // Stopped and destroyed sounds are silent at once.
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
    const std::optional<std::string> savedDriver =
        std::getenv("SDL_AUDIODRIVER") ? std::optional<std::string>(std::getenv("SDL_AUDIODRIVER")) : std::nullopt;
};

TEST_F(Device, WithoutADeviceFallsBackToSilentTime)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    AudioInit();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "quib-zerevarove: no sound device available; playing silently\n");
    // The silent driver still takes frames as time passes; bounded so a stuck device fails instead of hanging.
    const auto sound = constant(1, 4410);
    sound->Play();
    EXPECT_TRUE(sound->IsPlaying());
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound->IsPlaying() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(sound->IsPlaying());
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
