// A missing or damaged resource file gives no fork: never a crash or a read past its end.
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

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

TEST(ResourceFile, MissingOrDamagedFileGivesNil)
{
    std::ifstream in(QZ_BUILT_RESOURCE_FILE, std::ios::binary);
    const Bytes good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(good.size(), 1000u);
    const auto be32 = [&good](std::size_t at) {
        uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = v << 8 | uint8_t(good[at + i]);
        return v;
    };
    const std::size_t tree = be32(8), nodeSize = be32(4) >= 2 ? 22 : 14;
    std::size_t file = tree + nodeSize; // the first node that is not a folder
    while (file + nodeSize <= good.size() && (good[file + 5] & 0x02)) file += nodeSize;
    ASSERT_LE(file + nodeSize, good.size());
    const auto patched = [&good](std::size_t at, uint32_t value) {
        Bytes b = good;
        for (std::size_t i = 0; i < 4; ++i) b[at + i] = char(value >> (24 - 8 * i));
        return b;
    };
    std::mt19937 noise(5);
    Bytes scrambledTree = good;
    for (std::size_t i = tree; i < scrambledTree.size(); ++i) scrambledTree[i] = char(noise());

    const fs::path folder = fs::path(::testing::TempDir()) / ("qz-resources-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
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
        setenv("QZ_RESOURCE_FILE", path.c_str(), 1);
        EXPECT_FALSE(appResourceForkGetter()) << c.name;
    }
    for (const fs::path& path : {folder / "absent.rcc", folder}) {
        setenv("QZ_RESOURCE_FILE", path.c_str(), 1);
        EXPECT_FALSE(appResourceForkGetter()) << path;
    }
    setenv("QZ_RESOURCE_FILE", QZ_BUILT_RESOURCE_FILE, 1);
    EXPECT_TRUE(appResourceForkGetter()) << "looked for anew on every call";
    fs::remove_all(folder);
}

} // namespace
