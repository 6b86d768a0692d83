// The sound items and the dealing of the character sounds to characters.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/SoundBank.h"
#include "framework/Thread.h"

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
        if (saved) setenv("QZ_RESOURCE_FILE", saved->c_str(), 1);
        else unsetenv("QZ_RESOURCE_FILE");
        fs::remove_all(folder);
    }

    static void use(const fs::path& path) { setenv("QZ_RESOURCE_FILE", path.c_str(), 1); }

    // A copy of the real resource file in which sound `id` cannot be found:
    // its entry's name is changed, so the lookup by name misses it.
    fs::path withoutSound(int32_t id) const
    {
        std::ifstream in(QZ_BUILT_RESOURCE_FILE, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::string name;
        for (char c : std::to_string(id) + ".wav") name += {'\0', c};
        const auto at = bytes.find(name);
        EXPECT_NE(at, std::string::npos);
        EXPECT_EQ(bytes.find(name, at + 1), std::string::npos);
        bytes[at + name.size() - 1] = 'x';
        const fs::path path = folder / ("without-" + std::to_string(id) + ".rcc");
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // order(k): the number of the item whose sound entry k of beeps is, or -1 for nil.
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

    const std::optional<std::string> saved =
        std::getenv("QZ_RESOURCE_FILE") ? std::optional<std::string>(std::getenv("QZ_RESOURCE_FILE")) : std::nullopt;
    const fs::path folder = fs::path(::testing::TempDir()) / ("qz-sound-bank-" + std::to_string(::getpid()));
};

TEST_F(SoundBank, ItemsRunFromS00ToSilenceWithoutAGap)
{
    const struct {
        int32_t n;
        const char* name;
        int32_t identifier;
    } cases[] = {{0, "s00", 168}, {7, "s07", 175}, {9, "s09", 177}, {10, "s10", 178}, {93, "s93", 261},
                 {94, "silence", 262}};
    for (const auto& c : cases) {
        EXPECT_EQ(SoundItemName(c.n), c.name);
        EXPECT_EQ(SoundItemIdentifier(c.n), c.identifier) << c.name;
    }
    for (int32_t n = 0; n <= kSilenceItem; ++n) EXPECT_EQ(SoundItemIdentifier(n), 168 + n);
    EXPECT_THROW(CharacterSound(94), OutOfBoundsException);
    EXPECT_THROW(CharacterSound(-1), OutOfBoundsException);
}

TEST_F(SoundBank, GetterFetchesOnFirstUseThenSharesTheCachedObject)
{
    EXPECT_EQ(CachedSoundItem(5), nullptr);
    const auto first = CharacterSound(5);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CachedSoundItem(5), first);
    // Once cached, the resource file is not even looked for.
    use(folder / "absent.rcc");
    EXPECT_EQ(CharacterSound(5), first);
    EXPECT_THROW(CharacterSound(6), NilObjectException);
    EXPECT_EQ(CachedSoundItem(6), nullptr);
    ReleaseSoundItems();
    for (int32_t n = 0; n <= kSilenceItem; ++n) EXPECT_EQ(CachedSoundItem(n), nullptr) << n;
}

TEST_F(SoundBank, DealsAFixedPermutationOfTheSameObjects)
{
    std::vector<Ref<Sound>> beeps;
    Ref<Random> r;
    LoadSounds(beeps, r);
    ASSERT_EQ(beeps.size(), 94u);
    ASSERT_NE(r, nullptr);
    const auto order = orderOf(beeps);
    // Each entry is one of the 94 cached objects, each exactly once; silence is not dealt.
    EXPECT_EQ(std::set<int32_t>(order.begin(), order.end()).size(), 94u);
    EXPECT_EQ(*std::min_element(order.begin(), order.end()), 0);
    EXPECT_EQ(*std::max_element(order.begin(), order.end()), 93);
    EXPECT_EQ(CachedSoundItem(kSilenceItem), nullptr) << "silence is fetched only when first played";
    // Pinned, so that every build and platform gives each character the same sound.
    EXPECT_EQ(std::vector<int32_t>(order.begin(), order.begin() + 10),
              (std::vector<int32_t>{34, 21, 41, 50, 39, 63, 31, 91, 23, 5}));
    for (int32_t k = 0; k < 94; ++k) EXPECT_EQ(beeps[std::size_t(k)], CharacterSound(order[std::size_t(k)])) << k;

    // A second dealing, even from freshly fetched sounds, is the same permutation.
    ReleaseSoundItems();
    std::vector<Ref<Sound>> again;
    Ref<Random> r2;
    LoadSounds(again, r2);
    EXPECT_EQ(orderOf(again), order);
    EXPECT_NE(again[0], beeps[0]) << "fetched anew after the release";
}

TEST_F(SoundBank, YieldsAfterEveryDrawAndAppendButNotBetweenFetches)
{
    struct Counter : Thread {
        int turns = 0;
        bool allFetchedAtFirstTurn = false;
        ThreadTask Event_Run() override
        {
            allFetchedAtFirstTurn = CachedSoundItem(93) != nullptr;
            for (;;) {
                ++turns;
                co_await ThreadYield();
            }
        }
    };
    // One draw per value that comes up, repeats included, until all 94 have.
    Random reference;
    reference.Seed(0);
    std::set<int32_t> seen;
    int draws = 0;
    for (; seen.size() < 94; ++draws) seen.insert(reference.InRange(0, 93));
    ASSERT_GT(draws, 94);

    const auto counter = std::make_shared<Counter>();
    counter->Run();
    std::vector<Ref<Sound>> beeps;
    Ref<Random> r;
    LoadSounds(beeps, r);
    EXPECT_TRUE(counter->allFetchedAtFirstTurn);
    EXPECT_EQ(counter->turns, draws + 94);
    counter->Kill();
}

TEST_F(SoundBank, MissingSoundIsANilEntryFetchedAgainAtNextUse)
{
    std::vector<Ref<Sound>> good;
    Ref<Random> r;
    LoadSounds(good, r);
    const auto order = orderOf(good);
    const auto k7 = std::find(order.begin(), order.end(), 7) - order.begin();
    ReleaseSoundItems();

    use(withoutSound(175));
    std::vector<Ref<Sound>> beeps;
    LoadSounds(beeps, r);
    ASSERT_EQ(beeps.size(), 94u);
    EXPECT_EQ(std::count(beeps.begin(), beeps.end(), nullptr), 1);
    EXPECT_EQ(beeps[std::size_t(k7)], nullptr) << "at the index whose order value is s07";
    EXPECT_EQ(CachedSoundItem(7), nullptr);
    const auto s08 = CachedSoundItem(8);

    use(QZ_BUILT_RESOURCE_FILE);
    EXPECT_NE(CharacterSound(7), nullptr) << "a nil cache is fetched again";
    EXPECT_EQ(CharacterSound(8), s08) << "a loaded one is not";
}

TEST_F(SoundBank, NoResourceFileStopsAtTheFirstFetch)
{
    use(folder / "absent.rcc");
    std::vector<Ref<Sound>> beeps;
    Ref<Random> r;
    EXPECT_THROW(LoadSounds(beeps, r), NilObjectException);
    EXPECT_TRUE(beeps.empty());
    EXPECT_EQ(r, nullptr);
    EXPECT_THROW(silence(), NilObjectException);
    for (int32_t n = 0; n <= kSilenceItem; ++n) EXPECT_EQ(CachedSoundItem(n), nullptr) << n;
}

TEST_F(SoundBank, MissingSilenceIsFetchedAgainAtEachUse)
{
    use(withoutSound(262));
    EXPECT_EQ(silence(), nullptr);
    EXPECT_EQ(silence(), nullptr);
    EXPECT_NE(CharacterSound(0), nullptr);
    use(QZ_BUILT_RESOURCE_FILE);
    const auto found = silence();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->LengthFrames(), 4410);
    EXPECT_EQ(silence(), found);
}

} // namespace
