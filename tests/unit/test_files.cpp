// The preferences file in a hostile folder: items that are no regular file,
// links, oversized files, stale temporaries, no HOME, a folder name that is not UTF-8.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "framework/Files.h"
#include "framework/MsgBox.h"
#include "prefs/Preferences.h"

namespace fs = std::filesystem;

namespace {

// A preferences folder of its own, with the message boxes recorded.
struct HostileFolder : ::testing::Test {
    char path[32] = "/tmp/qz-files-XXXXXX";
    fs::path dir{mkdtemp(path)};
    std::vector<std::string> messages;
    MsgBoxSink previous = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
    HostileFolder() { setenv("XDG_CONFIG_HOME", path, 1); }
    ~HostileFolder() override
    {
        SetMsgBoxSink(previous);
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(dir);
    }
};

Ref<Preferences> store()
{
    auto prefs = std::make_shared<Preferences>();
    prefs->Filename = "p.plist";
    prefs->Put("a", StringToVariant("2"));
    return prefs;
}

// Neither read (which would block on a FIFO or never end on a device) nor replaced.
TEST_F(HostileFolder, OnlyRegularFilesAreReadAndReplaced)
{
    mkfifo((dir / "fifo").c_str(), 0600);
    for (const char* link : {"", "fifo", "/dev/zero", "."}) {
        fs::remove(dir / "p.plist");
        if (*link) fs::create_symlink(link, dir / "p.plist");
        else mkfifo((dir / "p.plist").c_str(), 0600);
        const auto before = fs::symlink_status(dir / "p.plist").type();
        EXPECT_FALSE(store()->ReadFile()) << link;
        if (link != std::string("/dev/zero")) store()->WriteFile(); // a fault here would replace the device as root
        EXPECT_EQ(fs::symlink_status(dir / "p.plist").type(), before) << link;
        EXPECT_EQ(fs::status(dir / "fifo").type(), fs::file_type::fifo) << link;
    }
    EXPECT_EQ(messages, std::vector<std::string>(3, "couldn't write preferences File"));
}

TEST_F(HostileFolder, LinksOversizeAndStaleTemporaries)
{
    std::ofstream(dir / "target") << "<key>a</key><string>1</string>";
    fs::create_symlink("target", dir / "p.plist");
    EXPECT_TRUE(store()->ReadFile());
    for (const char* name : {"target.AbcDef", "p.plist.AbcDef", "target.backup1", "target.GhiJkl"})
        std::ofstream(dir / name) << "x";
    const int busy = open((dir / "target.GhiJkl").c_str(), O_RDONLY); // a save still running
    ASSERT_EQ(flock(busy, LOCK_EX), 0);
    store()->WriteFile();
    close(busy);
    // The link stays and its target is replaced; only the target's stale temporary goes.
    EXPECT_TRUE(fs::is_symlink(dir / "p.plist"));
    EXPECT_GT(fs::file_size(dir / "target"), 100u) << "the written file is longer than the old one";
    EXPECT_FALSE(fs::exists(dir / "target.AbcDef"));
    for (const char* kept : {"p.plist.AbcDef", "target.backup1", "target.GhiJkl"}) EXPECT_TRUE(fs::exists(dir / kept));

    std::ofstream(dir / "target", std::ios::app) << std::string(TextInputStream::MaxSize, ' ');
    EXPECT_FALSE(store()->ReadFile()) << "past the size cap: damaged";
    EXPECT_TRUE(messages.empty());
}

TEST_F(HostileFolder, FolderNameBytesAndHomeFromTheAccount)
{
    const std::string odd = dir.string() + "/conf\xff\xfe";
    setenv("XDG_CONFIG_HOME", odd.c_str(), 1);
    store()->WriteFile();
    EXPECT_TRUE(fs::exists(odd + "/p.plist"));

    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    const Ref<FolderItem> folder = PreferencesFolder();
    if (!home.empty()) setenv("HOME", home.c_str(), 1);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Path(), String(std::string(getpwuid(getuid())->pw_dir) + "/.config"));
}

} // namespace
