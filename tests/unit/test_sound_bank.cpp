// The sound items and the dealing of the character sounds to characters.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "core/SoundBank.h"

#ifndef QZ_BUILT_RESOURCE_FILE
#error "the build gives the unit tests the path of the generated resource file"
#endif

namespace fs = std::filesystem;

namespace {

class SoundBank : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folder);
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

    // A copy of the real resource file with the entries of these sounds renamed, so the lookup misses them.
    fs::path without(std::initializer_list<int32_t> ids) const
    {
        std::ifstream in(QZ_BUILT_RESOURCE_FILE, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (int32_t id : ids) {
            std::string name;
            for (char c : std::to_string(id) + ".wav") name += {'\0', c};
            const auto at = bytes.find(name);
            EXPECT_NE(at, std::string::npos) << id;
            if (at != std::string::npos) bytes[at + name.size() - 1] = 'x';
        }
        std::ofstream(folder / "damaged.rcc", std::ios::binary) << bytes;
        return folder / "damaged.rcc";
    }

    static std::vector<Ref<Sound>> deal()
    {
        std::vector<Ref<Sound>> beeps;
        Ref<Random> r;
        LoadSounds(beeps, r);
        EXPECT_NE(r, nullptr);
        return beeps;
    }

    // order(k): the number of the cached item that entry k of beeps is, or -1.
    static std::vector<int32_t> orderOf(const std::vector<Ref<Sound>>& beeps)
    {
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

TEST_F(SoundBank, GetterFetchesOnFirstUseThenSharesTheCachedObject)
{
    EXPECT_THROW(CharacterSound(kSilenceItem), OutOfBoundsException);
    EXPECT_THROW(CharacterSound(-1), OutOfBoundsException);
    const auto first = CharacterSound(5);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CachedSoundItem(5), first);
    // Once cached, the resource file is not even looked for.
    use(folder / "absent.rcc");
    EXPECT_EQ(CharacterSound(5), first);
    EXPECT_THROW(CharacterSound(6), NilObjectException);
    EXPECT_THROW(silence(), NilObjectException);
    EXPECT_EQ(CachedSoundItem(6), nullptr);
    ReleaseSoundItems();
    for (int32_t n = 0; n <= kSilenceItem; ++n) EXPECT_EQ(CachedSoundItem(n), nullptr) << n;
}

TEST_F(SoundBank, DealsAFixedPermutationOfTheSameObjects)
{
    const auto beeps = deal();
    const auto order = orderOf(beeps);
    std::vector<int32_t> all(94);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_TRUE(std::is_permutation(order.begin(), order.end(), all.begin(), all.end()));
    // Pinned, so that every build and platform gives each character the same sound.
    EXPECT_EQ(std::vector<int32_t>(order.begin(), order.begin() + 10),
              (std::vector<int32_t>{34, 21, 41, 50, 39, 63, 31, 91, 23, 5}));
    EXPECT_EQ(CachedSoundItem(kSilenceItem), nullptr) << "silence is fetched only when first played";

    ReleaseSoundItems();
    const auto again = deal();
    EXPECT_EQ(orderOf(again), order);
    EXPECT_NE(again[0], beeps[0]) << "fetched anew after the release";
}

TEST_F(SoundBank, MissingSoundsAreNilAndFetchedAgainAtNextUse)
{
    auto expected = orderOf(deal());
    std::replace(expected.begin(), expected.end(), 7, -1);
    ReleaseSoundItems();

    use(without({175, 262}));
    EXPECT_EQ(orderOf(deal()), expected) << "one nil entry, where s07 was dealt";
    EXPECT_EQ(silence(), nullptr);
    const auto s08 = CachedSoundItem(8);

    use(QZ_BUILT_RESOURCE_FILE);
    EXPECT_NE(CharacterSound(7), nullptr) << "a nil cache is fetched again";
    EXPECT_EQ(CharacterSound(8), s08) << "a loaded one is not";
    const auto quiet = silence();
    ASSERT_NE(quiet, nullptr);
    EXPECT_EQ(quiet->LengthFrames(), 4410);
    EXPECT_EQ(silence(), quiet);
}

} // namespace
