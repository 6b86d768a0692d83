// The mixer, its silent clock, and the sound device through SDL's drivers.
#include <gtest/gtest.h>

#include <sys/resource.h>
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
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "framework/Audio_p.h"
#include "framework/Sound.h"
#include "tests/FakeAudioOutput.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::vector<int16_t> kSamples{0, 1, -1, 32767, -32768, 1234, -4321};

Ref<Sound> constant(int16_t value, std::size_t frames)
{
    return std::make_shared<Sound>(std::vector<int16_t>(frames, value));
}

class Mixer : public ::testing::Test {
protected:
    std::optional<FakeAudioOutput> audio{std::in_place};
};

TEST_F(Mixer, PlaysUntilTheLastFrameIsTakenOrItStops)
{
    const auto sound = std::make_shared<Sound>(kSamples);
    EXPECT_FALSE(sound->IsPlaying());
    sound->Play();
    EXPECT_EQ(audio->advance(6), std::vector<int16_t>(kSamples.begin(), kSamples.begin() + 6));
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_EQ(sound->RemainingFrames(), 1);
    // Playing it again restarts its one voice from the first sample.
    sound->Play();
    auto expected = kSamples;
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(audio->advance(9), expected);
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
    const Sound* droppedOne = dropped.get();
    dropped.reset();
    const auto out = audio->advance(100);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 100);
    EXPECT_EQ(audio->plays, (std::vector<const Sound*>{sound.get(), sound.get(), empty.get(), stopped.get(), droppedOne}));
}

TEST_F(Mixer, VoicesSumAndSaturate)
{
    const auto a = std::make_shared<Sound>(std::vector<int16_t>{30000, -30000, 100});
    const auto b = std::make_shared<Sound>(std::vector<int16_t>{30000, -30000});
    a->Play();
    b->Play();
    EXPECT_EQ(audio->advance(4), (std::vector<int16_t>{32767, -32768, 100, 0}));
}

// The mixer's own time, set by the test.
audio::Clock::time_point fakeNow;
audio::Clock::time_point readFakeNow() { return fakeNow; }

enum class Do { Wait, Start, Render, GoSilent, Opened, Closed };
struct Step {
    int ms;            // time passing before the step
    Do what;
    int64_t remaining; // of the one sound afterwards
    bool silent;
    int idleMs = 0;    // what Start says of the time before it
};

// One sound of a second through the states of the device: opening, taking
// frames, stalled, missing, newly opened.
TEST(MixerClock, KeepsTimeInSilenceOnlyWhileNoDeviceTakesFrames)
{
    const std::vector<Step> steps{
        {300, Do::Start, 44100, false, 300},
        {900, Do::Wait, 44100, false},   // waiting for the device
        {100, Do::Wait, 44100, true},    // a second without it: the silent clock starts
        {500, Do::Wait, 22050, true},
        {0, Do::Render, 22040, false},   // the device came and takes over
        {900, Do::Wait, 22040, false},
        {200, Do::Wait, 17630, true},    // stalled: silent since a second after its last frames
        {500, Do::Wait, 0, true},
        {5000, Do::Wait, 0, true},       // nothing plays: still no device
        {0, Do::Start, 44100, true, 5000}, // a new sound starts on the silent clock, in full
        {100, Do::Wait, 39690, true},
        {0, Do::Render, 39680, false},
        {0, Do::GoSilent, 39680, true},  // told there is no device: silent at once
        {200, Do::Wait, 30860, true},
        {0, Do::GoSilent, 30860, true},
        {0, Do::Start, 44100, true, 0},  // a restart is no pause
        {0, Do::Render, 44090, false},
        {0, Do::Opened, 44090, false},   // a new stream, which its server may hold back a while
        {2900, Do::Wait, 44090, false},
        {100, Do::Wait, 44090, true},
        {100, Do::Wait, 39680, true},
        {0, Do::Render, 39670, false},
        {0, Do::Opened, 39670, false},
        {500, Do::Closed, 39670, false}, // closed again: no new stream is waited for
        {500, Do::Wait, 39670, true},
    };
    fakeNow = {};
    audio::Mixer m(readFakeNow);
    const auto sound = constant(1, 44100);
    int16_t out[10];
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        fakeNow += std::chrono::milliseconds(s.ms);
        switch (s.what) {
        case Do::Wait: break;
        case Do::Start:
            EXPECT_EQ(m.start(1, {sound->Samples(), nullptr}), std::chrono::milliseconds(s.idleMs)) << "step " << i;
            break;
        case Do::Render: m.render(out, 10); break;
        case Do::GoSilent: m.goSilent(); break;
        case Do::Opened: m.deviceOpen(true); break;
        case Do::Closed: m.deviceOpen(false); break;
        }
        EXPECT_EQ(m.remaining(1), s.remaining) << "step " << i;
        EXPECT_EQ(m.silent(), s.silent) << "step " << i;
    }
}

TEST(MixerClock, NeitherAnIdleMixerNorOneThatKeepsNoTimeGoesSilent)
{
    fakeNow = {};
    audio::Mixer m(readFakeNow);
    fakeNow += 10s;
    EXPECT_EQ(m.remaining(1), 0);
    EXPECT_FALSE(m.silent()) << "no voice waits";
    m.keepTime(false);
    m.start(1, {kSamples, nullptr});
    fakeNow += 10s;
    EXPECT_EQ(m.remaining(1), 7);
    m.goSilent();
    EXPECT_FALSE(m.silent());
}

// The real device, with the SDL driver a test names.
class Device : public ::testing::Test {
protected:
    void SetUp() override { AudioQuit(); }
    void TearDown() override
    {
        AudioQuit();
        setenv("SDL_AUDIODRIVER", "dummy", 1); // as the test run sets it
    }
};

// Whether a sound on a real driver ends; bounded so a stuck device fails instead of hanging.
bool endsInTime(const Sound& sound)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound.IsPlaying() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !sound.IsPlaying();
}

// Long enough that the next sound looks for a missing device again.
void pause() { std::this_thread::sleep_for(400ms); }

const std::string kLost = "^quib-zerevarove: no sound \\(([^\n]*)\\); playing silently\n";

// A missing driver stands for a sound server that is down, SDL's silent one
// for the server back.
TEST_F(Device, SaysOnceThatSoundIsLostAndOnceThatItIsBack)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    AudioInit();
    const auto sound = constant(1, 4410);
    for (int i = 0; i < 2; ++i) {
        pause();
        sound->Play();
        EXPECT_TRUE(sound->IsPlaying()) << "the silent clock keeps the sound's time";
        EXPECT_TRUE(endsInTime(*sound));
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (int i = 0; i < 2; ++i) {
        pause();
        sound->Play();
        EXPECT_TRUE(endsInTime(*sound));
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    std::smatch m;
    EXPECT_TRUE(std::regex_match(err, m, std::regex(kLost + "quib-zerevarove: sound is back\n$"))) << err;
    EXPECT_NE(m.str(1).find("no-such-driver"), std::string::npos) << "SDL's own words";
}

// The device closes after a short silence, and the next sound opens it again:
// SDL's file driver then writes its file afresh.
TEST_F(Device, ClosesWhenIdleAndOpensAgainForTheNextSound)
{
    const auto file = fs::path(::testing::TempDir()) / ("qz-disk-" + std::to_string(::getpid()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    AudioInit();
    for (int16_t value : {7, 9}) {
        const auto sound = constant(value, 441);
        sound->Play();
        EXPECT_TRUE(endsInTime(*sound));
        if (value == 7) std::this_thread::sleep_for(1s);
    }
    AudioQuit();
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    fs::remove(file);
    std::vector<int16_t> frames(bytes.size() / 2);
    std::memcpy(frames.data(), bytes.data(), frames.size() * 2);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), int16_t(7)), 0);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), int16_t(9)), 441);
}

// Nothing waits for a sound once the device is let go, at exit for one.
TEST_F(Device, ClosingEndsEverySound)
{
    AudioInit();
    const auto sound = constant(1, 441000);
    sound->Play();
    EXPECT_TRUE(sound->IsPlaying());
    AudioQuit();
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

// With no thread to be had (a user at their process limit), sounds keep their
// time in silence, one line says why, and later sounds try again quietly.
TEST_F(Device, WithoutAThreadForTheDeviceSoundsKeepTimeInSilence)
{
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(err[1], STDERR_FILENO);
        // Root is exempt from the limit.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        const rlimit none{0, 0};
        if (setrlimit(RLIMIT_NPROC, &none) != 0) _exit(3);
        const auto sound = constant(1, 4410);
        bool ok = true;
        for (int i = 0; i < 2; ++i) {
            pause();
            sound->Play();
            ok = ok && sound->IsPlaying() && endsInTime(*sound);
        }
        _exit(ok ? 0 : 1);
    }
    close(err[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(n));
    close(err[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ": " << text;
    std::smatch m;
    EXPECT_TRUE(std::regex_match(text, m, std::regex(kLost + "$"))) << text;
    EXPECT_EQ(m.str(1).rfind("cannot start the sound thread: ", 0), 0u) << text;
}

} // namespace
