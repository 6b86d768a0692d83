// The preferences file in a hostile folder: items that are no regular file,
// links, oversized files, stale temporaries, no HOME, a folder name that is not UTF-8.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/Files.h"
#include "framework/MsgBox.h"
#include "prefs/Preferences.h"

namespace fs = std::filesystem;

namespace {

const std::string kEntry = "<key>a</key>\n\t\n\t<string>1</string>";

class HostileFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qz-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        previous = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
    }
    void TearDown() override
    {
        SetMsgBoxSink(previous);
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(dir);
    }
    static Ref<Preferences> store()
    {
        auto prefs = std::make_shared<Preferences>();
        prefs->Filename = "p.plist";
        prefs->Put("a", StringToVariant("2"));
        return prefs;
    }
    fs::path dir;
    MsgBoxSink previous;
    std::vector<std::string> messages;
};

// Neither read (no hang on a FIFO, no endless device) nor replaced.
TEST_F(HostileFolder, OnlyRegularFilesAreReadAndReplaced)
{
    mkfifo((dir / "fifo").c_str(), 0600);
    const struct {
        const char* link; // what p.plist is made to be
        bool write;
    } cases[] = {{nullptr, true}, {"fifo", true}, {"/dev/zero", false}, {".", true}};
    for (const auto& c : cases) {
        fs::remove(dir / "p.plist");
        if (c.link) fs::create_symlink(c.link, dir / "p.plist");
        else mkfifo((dir / "p.plist").c_str(), 0600);
        const auto before = fs::symlink_status(dir / "p.plist").type();
        EXPECT_FALSE(store()->ReadFile()) << c.link;
        if (c.write) store()->WriteFile();
        EXPECT_EQ(fs::symlink_status(dir / "p.plist").type(), before) << c.link;
        EXPECT_EQ(fs::status(dir / "fifo").type(), fs::file_type::fifo) << c.link;
    }
    EXPECT_EQ(messages, std::vector<std::string>(3, "couldn't write preferences File"));
}

TEST_F(HostileFolder, LinksOversizeAndStaleTemporaries)
{
    // A link to a regular file is read, and its target replaced.
    std::ofstream(dir / "target") << kEntry;
    fs::create_symlink("target", dir / "p.plist");
    EXPECT_TRUE(store()->ReadFile());
    std::ofstream(dir / "target.AbcDef") << "stale";
    std::ofstream(dir / "p.plist.AbcDef") << "a link's own name is not the file's";
    std::ofstream(dir / "target.backup1") << "not a temporary name";
    std::ofstream(dir / "target.GhiJkl") << "a save still running";
    const int busy = open((dir / "target.GhiJkl").c_str(), O_RDONLY);
    ASSERT_EQ(flock(busy, LOCK_EX), 0);
    store()->WriteFile();
    close(busy);
    EXPECT_TRUE(fs::is_symlink(dir / "p.plist"));
    std::ifstream written(dir / "target");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(written), {}).find("<string>2</string>"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "target.AbcDef"));
    for (const char* kept : {"p.plist.AbcDef", "target.backup1", "target.GhiJkl"}) EXPECT_TRUE(fs::exists(dir / kept));

    // A file past the size cap is taken as damaged.
    std::ofstream(dir / "target") << kEntry << std::string(TextInputStream::MaxSize, ' ');
    EXPECT_FALSE(store()->ReadFile());
    EXPECT_TRUE(messages.empty());
}

TEST_F(HostileFolder, FolderFromAccountAndBytes)
{
    const std::string odd = dir.string() + "/conf\xff\xfe";
    setenv("XDG_CONFIG_HOME", odd.c_str(), 1);
    store()->WriteFile();
    EXPECT_TRUE(fs::exists(odd + "/p.plist"));

    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    const Ref<FolderItem> folder = PreferencesFolder();
    if (!savedHome.empty()) setenv("HOME", savedHome.c_str(), 1);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Path(), String(std::string(getpwuid(getuid())->pw_dir) + "/.config"));
    EXPECT_TRUE(messages.empty());
}

} // namespace
