// The sound items and the dealing of the sounds to characters.
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

#include "tests/FakeAudioOutput.h"
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

        {
            FakeAudioOutput output;
            loaded->Play();
            EXPECT_EQ(output.advance(loaded->LengthFrames()), before) << cut;
        }
        EXPECT_EQ(CharacterSound(200 - 168), loaded) << cut;
        EXPECT_EQ(fork->GetSound(201), nullptr) << cut << ": read through the file opened before the cut";
    }
    EXPECT_THROW(CharacterSound(201 - 168), NilObjectException) << "a file cut short is no resource file";
    EXPECT_EQ(CachedSoundItem(201 - 168), nullptr);
}

} // namespace
