#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "framework/Resources.h"

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

}
