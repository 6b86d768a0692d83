// The mixer, the sound device, the sound items and the dealing of the sounds to characters.
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
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "core/SoundBank.h"
#include "framework/Resources.h"

namespace fs = std::filesystem;

namespace {

class SoundBank : public ::testing::Test {
protected:
    void SetUp() override
    {
        use(QZ_BUILT_RESOURCE_FILE);
        ReleaseSoundItems();
    }
    void TearDown() override
    {
        ReleaseSoundItems();
        use(QZ_BUILT_RESOURCE_FILE);
        fs::remove_all(folder);
    }
    static void use(const fs::path& path) { setenv("QZ_RESOURCE_FILE", path.c_str(), 1); }

    // The items dealt to the characters, each as the number of its cached item, or -1.
    static std::vector<int32_t> deal()
    {
        std::vector<Ref<Sound>> beeps;
        Ref<Random> r;
        LoadSounds(beeps, r);
        EXPECT_NE(r, nullptr);
        std::vector<int32_t> order;
        for (const auto& sound : beeps) {
            int32_t found = -1;
            for (int32_t n = 0; n <= kSilenceItem; ++n)
                if (sound && CachedSoundItem(n) == sound) found = n;
            order.push_back(found);
        }
        return order;
    }

    const fs::path folder = fs::path(::testing::TempDir()) / ("qz-sound-bank-" + std::to_string(::getpid()));
};

TEST_F(SoundBank, DealsAFixedPermutationOfTheItems)
{
    const auto order = deal();
    std::vector<int32_t> all(94);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_TRUE(std::is_permutation(order.begin(), order.end(), all.begin(), all.end()));
    // Pinned, so that every build and platform gives each character the same sound.
    EXPECT_EQ(std::vector<int32_t>(order.begin(), order.begin() + 10),
              (std::vector<int32_t>{34, 21, 41, 50, 39, 63, 31, 91, 23, 5}));
    EXPECT_EQ(CachedSoundItem(kSilenceItem), nullptr) << "silence is fetched only when first played";
    const auto first = CachedSoundItem(34);
    ReleaseSoundItems();
    EXPECT_EQ(deal(), order);
    EXPECT_NE(CachedSoundItem(34), first) << "fetched anew after the release";
}

// A sound the file lacks is nil where it was dealt and fetched again at next
// use; a loaded one is kept even when the file is gone.
TEST_F(SoundBank, MissingSoundsAreNilAndFetchedAgainAtNextUse)
{
    auto expected = deal();
    std::replace(expected.begin(), expected.end(), 7, -1);
    ReleaseSoundItems();
    // A copy of the resource file with s07 (175) and the silence (262) renamed, so the lookup misses them.
    std::ifstream in(QZ_BUILT_RESOURCE_FILE, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const char* id : {"175", "262"}) {
        std::string name;
        for (char c : std::string(id) + ".wav") name += {'\0', c};
        ASSERT_NE(bytes.find(name), std::string::npos) << id;
        bytes[bytes.find(name) + name.size() - 1] = 'x';
    }
    fs::create_directories(folder);
    std::ofstream(folder / "damaged.rcc", std::ios::binary) << bytes;
    use(folder / "damaged.rcc");
    EXPECT_EQ(deal(), expected);
    EXPECT_EQ(silence(), nullptr);
    const auto s08 = CachedSoundItem(8);

    use(QZ_BUILT_RESOURCE_FILE);
    EXPECT_NE(CharacterSound(7), nullptr) << "a nil cache is fetched again";
    EXPECT_EQ(CharacterSound(8), s08) << "a loaded one is not";
    const auto quiet = silence();
    ASSERT_NE(quiet, nullptr);
    EXPECT_EQ(quiet->LengthFrames(), 4410);
    use(folder / "absent.rcc");
    EXPECT_EQ(silence(), quiet);
    EXPECT_THROW(CharacterSound(kSilenceItem), OutOfBoundsException);
    EXPECT_THROW(CharacterSound(-1), OutOfBoundsException);
    ReleaseSoundItems();
    EXPECT_THROW(CharacterSound(6), NilObjectException) << "no resource file";
    for (int32_t n = 0; n <= kSilenceItem; ++n) EXPECT_EQ(CachedSoundItem(n), nullptr) << n;
    // One bit off in the tree's offset leaves a root that is no folder: the file counts as missing.
    bytes[11] = char(bytes[11] ^ 0x80);
    std::ofstream(folder / "flipped.rcc", std::ios::binary) << bytes;
    use(folder / "flipped.rcc");
    EXPECT_THROW(CharacterSound(6), NilObjectException) << "root no folder";
}

// A sound is read whole when it is fetched: cutting the file short afterwards
// leaves it playing whole, and a sound not yet read from that file is nil.
TEST_F(SoundBank, AFileCutShortKeepsLoadedSoundsWholeAndLaterOnesNil)
{
    // Where sound 201's samples end in the file.
    std::ifstream in(QZ_BUILT_RESOURCE_FILE, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto s201 = appResourceForkGetter()->GetSound(201);
    ASSERT_TRUE(s201);
    const std::string samples(reinterpret_cast<const char*>(s201->Samples().data()), s201->Samples().size_bytes());
    const std::size_t end201 = bytes.find(samples) + samples.size();
    ASSERT_NE(bytes.find(samples), std::string::npos);

    for (const std::size_t cut : {std::size_t(0), end201 - 1}) {
        ReleaseSoundItems();
        fs::create_directories(folder);
        const auto path = folder / ("cut-" + std::to_string(cut) + ".rcc");
        std::ofstream(path, std::ios::binary) << bytes;
        use(path);
        const auto fork = appResourceForkGetter();
        const auto loaded = CharacterSound(200 - 168);
        ASSERT_TRUE(loaded);
        const std::vector<int16_t> before(loaded->Samples().begin(), loaded->Samples().end());
        fs::resize_file(path, cut);

        AudioTesting::UseManualClock();
        loaded->Play();
        EXPECT_EQ(AudioTesting::Advance(loaded->LengthFrames()), before) << cut;
        AudioQuit();
        EXPECT_EQ(CharacterSound(200 - 168), loaded) << cut;
        EXPECT_EQ(fork->GetSound(201), nullptr) << cut << ": read through the file opened before the cut";
    }
    EXPECT_THROW(CharacterSound(201 - 168), NilObjectException) << "a file cut short is no resource file";
    EXPECT_EQ(CachedSoundItem(201 - 168), nullptr);
}

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
    // Starting afresh ends what was playing and forgets what was played.
    stopped->Play();
    AudioTesting::UseManualClock();
    EXPECT_FALSE(stopped->IsPlaying());
    EXPECT_TRUE(AudioTesting::PlayLog().empty());
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

// Closing lets go of the device, so the next open looks for one again.
TEST_F(Device, WithoutADeviceFallsBackToSilentTime)
{
    AudioInit();
    AudioQuit();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    AudioInit();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "quib-zerevarove: no sound device available; playing silently\n");
    // The silent driver still takes frames as time passes.
    const auto sound = constant(1, 4410);
    sound->Play();
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_TRUE(endsInTime(*sound));
}

// SDL's file driver starts its file afresh on every open, so it stays open
// through a silence longer than the idle close.
TEST_F(Device, TheFileDriverKeepsEverySoundAcrossASilence)
{
    const auto file = fs::path(::testing::TempDir()) / ("qz-disk-" + std::to_string(::getpid()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    AudioInit();
    for (int16_t value : {7, 9}) {
        const auto sound = constant(value, 441);
        sound->Play();
        EXPECT_TRUE(endsInTime(*sound));
        if (value == 7) std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    }
    AudioQuit();
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    fs::remove(file);
    std::vector<int16_t> frames(bytes.size() / 2);
    std::memcpy(frames.data(), bytes.data(), frames.size() * 2);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), int16_t(7)), 441);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), int16_t(9)), 441);
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

} // namespace
