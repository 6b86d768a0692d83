#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/Sound.h"

#ifndef QZ_BUILT_RESOURCE_FILE
#error "the build gives the unit tests the path of the generated resource file"
#endif

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<char>;

uint32_t be32(const Bytes& b, std::size_t at)
{
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | uint8_t(b[at + i]);
    return v;
}

// Points QZ_RESOURCE_FILE at other files for the length of one test.
class ResourceFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folder);
        use(QZ_BUILT_RESOURCE_FILE);
    }
    void TearDown() override
    {
        use(QZ_BUILT_RESOURCE_FILE);
        fs::remove_all(folder);
    }

    static void use(const fs::path& path) { setenv("QZ_RESOURCE_FILE", path.c_str(), 1); }

    const fs::path folder = fs::path(::testing::TempDir()) / ("qz-resources-" + std::to_string(::getpid()));
};

TEST_F(ResourceFile, HoldsTheItemsByIdentifier)
{
    const auto fork = appResourceForkGetter();
    ASSERT_TRUE(fork);
    std::vector<std::vector<int16_t>> beeps;
    for (int32_t id = 168; id <= 261; ++id) {
        const auto sound = fork->GetSound(id);
        ASSERT_TRUE(sound) << id;
        const double ms = sound->LengthFrames() * 1000.0 / Sound::kSampleRate;
        EXPECT_TRUE(ms >= 60 && ms <= 200) << id << ": " << ms << " ms";
        const auto [low, high] = std::minmax_element(sound->Samples().begin(), sound->Samples().end());
        EXPECT_TRUE(*high > 1000 && *high < 16384 && *low > -16384) << id << " is audible, well below full scale";
        beeps.emplace_back(sound->Samples().begin(), sound->Samples().end());
    }
    std::sort(beeps.begin(), beeps.end());
    EXPECT_EQ(std::adjacent_find(beeps.begin(), beeps.end()), beeps.end()) << "two beeps are the same";
    const auto silence = fork->GetSound(262);
    ASSERT_TRUE(silence);
    EXPECT_EQ(silence->LengthFrames(), 4410);
    EXPECT_TRUE(std::all_of(silence->Samples().begin(), silence->Samples().end(), [](int16_t s) { return s == 0; }));

    const struct {
        int32_t id, width, height;
    } pictures[] = {{168, 128, 128}, {169, 128, 128}, {170, 216, 30}, {171, 216, 30}};
    for (const auto& p : pictures) {
        const auto picture = fork->GetPicture(p.id);
        ASSERT_TRUE(picture) << p.id;
        EXPECT_EQ(std::pair(picture->Width(), picture->Height()), std::pair(p.width, p.height)) << p.id;
    }
    for (int32_t missing : {0, -1, 167, 263, 2147483647}) EXPECT_FALSE(fork->GetSound(missing)) << missing;
    for (int32_t missing : {167, 172, 262}) EXPECT_FALSE(fork->GetPicture(missing)) << missing;
}

TEST_F(ResourceFile, MissingOrDamagedFileGivesNil)
{
    use(folder / "absent.rcc");
    EXPECT_FALSE(appResourceForkGetter());
    use(folder);
    EXPECT_FALSE(appResourceForkGetter()) << "a folder is no resource file";

    std::ifstream in(QZ_BUILT_RESOURCE_FILE, std::ios::binary);
    const Bytes good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(good.size(), 1000u);
    const std::size_t tree = be32(good, 8);
    const std::size_t nodeSize = be32(good, 4) >= 2 ? 22 : 14;
    // The first node that is not a folder.
    std::size_t file = tree + nodeSize;
    while (file + nodeSize <= good.size() && (good[file + 5] & 0x02)) file += nodeSize;
    ASSERT_LE(file + nodeSize, good.size());

    const auto patched = [&good](std::size_t at, uint32_t value) {
        Bytes b = good;
        for (std::size_t i = 0; i < 4; ++i) b[at + i] = char(value >> (24 - 8 * i));
        return b;
    };
    std::mt19937 noise(5);
    Bytes garbage(4096);
    for (char& c : garbage) c = char(noise());
    Bytes scrambledTree = good;
    for (std::size_t i = tree; i < scrambledTree.size(); ++i) scrambledTree[i] = char(noise());

    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"garbage", garbage},
        {"header only", Bytes(good.begin(), good.begin() + 20)},
        {"one byte short", Bytes(good.begin(), good.end() - 1)},
        {"unknown version", patched(4, 9)},
        {"tree beyond the end", patched(8, 0xFFFFFF00)},
        {"data beyond the end", patched(12, 0x7FFFFFFF)},
        {"names beyond the end", patched(16, 0x7FFFFFFF)},
        {"huge child count", patched(tree + 6, 0xFFFFFFFF)},
        {"children beyond the end", patched(tree + 10, 0x00FFFFFF)},
        {"root its own child", patched(tree + 10, 0)},
        {"root no folder: one bit off in the tree's offset", patched(8, uint32_t(tree) ^ 0x80)},
        {"entry beyond the end", patched(file + 10, 0xFFFFFFF0)},
        {"name beyond the end", patched(file, 0xFFFFFFF0)},
        {"scrambled tree", scrambledTree},
    };
    for (const auto& c : cases) {
        const auto path = folder / (std::string(c.name) + ".rcc");
        std::ofstream(path, std::ios::binary).write(c.bytes.data(), std::streamsize(c.bytes.size()));
        use(path);
        EXPECT_FALSE(appResourceForkGetter()) << c.name;
    }
    // Looked for anew on every call.
    use(QZ_BUILT_RESOURCE_FILE);
    EXPECT_TRUE(appResourceForkGetter());
}

TEST_F(ResourceFile, CutShortUnderALoadedSoundSilencesItWithoutACrash)
{
    const fs::path copy = folder / "copy.rcc";
    fs::copy_file(QZ_BUILT_RESOURCE_FILE, copy);
    use(copy);
    const auto sound = appResourceForkGetter()->GetSound(200);
    ASSERT_TRUE(sound);
    fs::resize_file(copy, 0);
    EXPECT_TRUE(std::all_of(sound->Samples().begin(), sound->Samples().end(), [](int16_t s) { return s == 0; }));
}

}
