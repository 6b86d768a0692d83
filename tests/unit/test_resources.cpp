// The resource file: what it holds, and what a damaged one gives.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/Sound.h"

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
    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override
    {
        use(QZ_BUILT_RESOURCE_FILE);
        fs::remove_all(folder);
    }
    static void use(const fs::path& path) { setenv("QZ_RESOURCE_FILE", path.c_str(), 1); }
    // Uses a file of these bytes.
    void use(const std::string& name, const Bytes& bytes)
    {
        const auto path = folder / (name + ".rcc");
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        use(path);
    }

    const fs::path folder = fs::path(::testing::TempDir()) / ("qz-resources-" + std::to_string(::getpid()));
};

// Two beeps of the same length must differ in pitch or timbre: their samples,
// which all start at phase 0, correlate little.
double correlation(std::span<const int16_t> a, std::span<const int16_t> b)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return ab / std::sqrt(aa * bb);
}

TEST_F(ResourceFile, HoldsTheItemsByIdentifier)
{
    use(QZ_BUILT_RESOURCE_FILE);
    const auto fork = appResourceForkGetter();
    ASSERT_TRUE(fork);
    std::vector<Ref<Sound>> beeps;
    for (int32_t id = 168; id <= 261; ++id) {
        const auto sound = fork->GetSound(id);
        ASSERT_TRUE(sound) << id;
        const double ms = sound->LengthFrames() * 1000.0 / Sound::kSampleRate;
        EXPECT_TRUE(ms >= 60 && ms <= 200) << id << ": " << ms << " ms";
        const auto [low, high] = std::minmax_element(sound->Samples().begin(), sound->Samples().end());
        // Below half of full scale, so that two overlapping beeps do not clip either.
        EXPECT_TRUE(*high > 1000 && *high < 16384 && *low > -16384) << id << " is audible, well below full scale";
        beeps.push_back(sound);
    }
    for (std::size_t i = 0; i < beeps.size(); ++i)
        for (std::size_t j = i + 1; j < beeps.size(); ++j)
            if (beeps[i]->LengthFrames() == beeps[j]->LengthFrames()) {
                EXPECT_LT(correlation(beeps[i]->Samples(), beeps[j]->Samples()), 0.5)
                    << 168 + i << " and " << 168 + j << " sound alike";
            }

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

class DamagedFile : public ResourceFile {
protected:
    void SetUp() override
    {
        ResourceFile::SetUp();
        std::ifstream in(QZ_BUILT_RESOURCE_FILE, std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ASSERT_GT(good.size(), 1000u);
        ASSERT_EQ(be32(good, 4), 3u) << "the offsets below are for version 3";
        tree = be32(good, 8);
    }
    // The good file with n bytes at at set to value, big-endian as the tree is.
    Bytes patched(std::size_t at, uint32_t value, int n = 4) const
    {
        Bytes b = good;
        for (int i = 0; i < n; ++i) b[at + std::size_t(i)] = char(value >> (8 * (n - 1 - i)));
        return b;
    }
    // Node k of the tree; ours are: 0 the root, 1 "snd" (95 children from 7), 2 "pict" (4 from 3), then files.
    std::size_t node(std::size_t k) const { return tree + 22 * k; }
    std::size_t entry(std::size_t k) const { return be32(good, 12) + be32(good, node(k) + 10); }

    Bytes good;
    std::size_t tree = 0;
};

TEST_F(DamagedFile, GivesNoResourceFile)
{
    use(folder / "absent.rcc");
    EXPECT_FALSE(appResourceForkGetter());
    use(folder);
    EXPECT_FALSE(appResourceForkGetter()) << "a folder is no resource file";

    std::mt19937 noise(5);
    Bytes garbage(4096);
    for (char& c : garbage) c = char(noise());
    Bytes scrambledTree = good;
    for (std::size_t i = tree; i < scrambledTree.size(); ++i) scrambledTree[i] = char(noise());
    Bytes huge = good;
    huge.resize(17 * 1024 * 1024);

    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"garbage", garbage},
        {"header only", Bytes(good.begin(), good.begin() + 24)},
        {"one byte short", Bytes(good.begin(), good.end() - 1)},
        {"far too big", huge},
        {"not qres", patched(0, 0x71726573 ^ 1)},
        {"version 0", patched(4, 0)},
        {"unknown version", patched(4, 9)},
        {"unknown flags", patched(20, 0x10)},
        {"tree beyond the end", patched(8, 0xFFFFFF00)},
        {"tree with no whole node", patched(8, uint32_t(good.size() - 21))},
        {"data beyond the end", patched(12, 0x7FFFFFFF)},
        {"names beyond the end", patched(16, 0x7FFFFFFF)},
        {"root no folder", patched(node(0) + 4, 0, 2)},
        {"huge child count", patched(node(0) + 6, 0xFFFFFFFF)},
        {"children beyond the end", patched(node(0) + 10, 0x00FFFFFF)},
        {"root its own child", patched(node(0) + 10, 0)},
        {"folder its own child", patched(node(1) + 10, 1)},
        {"folders sharing children", patched(node(2) + 10, 7)},
        {"compressed entry", patched(node(3) + 4, 1, 2)},
        {"unknown node kind", patched(node(3) + 4, 8, 2)},
        {"entry beyond the end", patched(node(3) + 10, 0xFFFFFFF0)},
        {"name beyond the end", patched(node(3), 0xFFFFFFF0)},
        {"over-long name", patched(be32(good, 16) + be32(good, node(3)), 0xFFFF, 2)},
        {"scrambled tree", scrambledTree},
    };
    for (const auto& c : cases) {
        use(c.name, c.bytes);
        EXPECT_FALSE(appResourceForkGetter()) << c.name;
    }
    // Looked for anew on every call.
    use(QZ_BUILT_RESOURCE_FILE);
    EXPECT_TRUE(appResourceForkGetter());
}

// An entry is read only when fetched, so a damaged one is nil and the rest still load.
TEST_F(DamagedFile, GivesNilForADamagedEntryOnly)
{
    // Node 7 is sound 168, node 3 picture 168.
    const struct {
        const char* name;
        Bytes bytes;
        bool soundNil, pictureNil;
    } cases[] = {
        {"sound longer than the file", patched(entry(7), 0x7FFFFFFF), true, false},
        {"sound one byte past the end", patched(entry(7), uint32_t(good.size() - entry(7) - 3)), true, false},
        {"empty sound", patched(entry(7), 0), true, false},
        {"sound's length in the file's last bytes", patched(node(7) + 10, uint32_t(good.size() - 4 - be32(good, 12))),
         true, false},
        {"picture longer than the file", patched(entry(3), 0x7FFFFFFF), false, true},
        {"empty picture", patched(entry(3), 0), false, true},
    };
    for (const auto& c : cases) {
        use(c.name, c.bytes);
        const auto fork = appResourceForkGetter();
        ASSERT_TRUE(fork) << c.name;
        EXPECT_EQ(fork->GetSound(168) == nullptr, c.soundNil) << c.name;
        EXPECT_EQ(fork->GetPicture(168) == nullptr, c.pictureNil) << c.name;
        EXPECT_TRUE(fork->GetSound(169) && fork->GetPicture(169)) << c.name;
    }
}

}
