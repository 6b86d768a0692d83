// The preferences file in a hostile folder: items that are no regular file,
// links, the user's own files beside it, oversized and unreadable files, no HOME,
// a folder name that is not UTF-8.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

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

// Saves through a link replace its target and leave the user's files alone,
// also those named like a temporary, whether the temporary has a name or not.
TEST_F(HostileFolder, SavesReplaceOnlyTheFileAndLeaveNothingBehind)
{
    const std::set<std::string> userFiles = {"target.backup", "target.Backup", "target.before", "target.AbCdEf",
                                             "p.plist.AbcDef", ".target.saving-AbCdEf"};
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named ? "named temporary" : "unnamed temporary");
        FilesTesting::UseNamedTemporaries(named);
        for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
        std::ofstream(dir / "target") << "<key>a</key><string>1</string>";
        fs::create_symlink("target", dir / "p.plist");
        for (const auto& name : userFiles) std::ofstream(dir / name) << "mine";
        std::set<std::string> expected = userFiles;
        expected.insert({"p.plist", "target"});
        auto entries = [&] {
            std::set<std::string> names;
            for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename());
            return names;
        };
        EXPECT_TRUE(store()->ReadFile());
        store()->WriteFile();
        auto tooLong = store();
        tooLong->Put("a", StringToVariant(std::string(TextInputStream::MaxSize, 'x')));
        tooLong->WriteFile();
        // A save cut short at any point before it commits leaves nothing with a name.
        Ref<TextOutputStream> dropped = PreferencesFolder()->Child("p.plist")->CreateTextFile();
        dropped->WriteLine("unfinished");
        EXPECT_EQ(entries().size(), expected.size() + (named ? 1 : 0)) << "while writing";
        dropped.reset();

        EXPECT_TRUE(fs::is_symlink(dir / "p.plist"));
        EXPECT_GT(fs::file_size(dir / "target"), 100u) << "the written file is longer than the old one";
        EXPECT_EQ(entries(), expected);
    }
    FilesTesting::UseNamedTemporaries(false);
    EXPECT_EQ(messages, std::vector<std::string>(2, "couldn't write preferences File"));

    std::ofstream(dir / "target", std::ios::app) << std::string(TextInputStream::MaxSize, ' ');
    EXPECT_FALSE(store()->ReadFile()) << "past the size cap: damaged";
}

// Whoever cannot read the file is told why on standard error; the defaults
// then replace it with a file its owner can read, so the next run remembers.
// As root everything is readable, so the user is played by a child process.
TEST_F(HostileFolder, UnreadableFileIsReportedAndReplacedReadable)
{
    const uid_t user = geteuid() == 0 ? 65534 : geteuid();
    const struct {
        const char* name;
        mode_t mode;
        bool rootsFile;
        mode_t after;
    } cases[] = {
        {"mode 000", 0000, false, 0600},
        {"only others may read", 0044, false, 0644},
        {"left by a run under sudo", 0600, true, 0600},
    };
    ASSERT_EQ(chown(path, user, user), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.rootsFile && user == geteuid()) continue; // only root can give a file to root
        std::ofstream(dir / "p.plist") << "<key>a</key><string>1</string>";
        ASSERT_EQ(chown((dir / "p.plist").c_str(), c.rootsFile ? 0 : user, c.rootsFile ? 0 : user), 0);
        ASSERT_EQ(chmod((dir / "p.plist").c_str(), c.mode), 0);
        EXPECT_EXIT(
            {
                if (getuid() != user && (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0))
                    std::exit(2);
                auto prefs = store();
                const bool read = prefs->ReadFile();
                prefs->WriteFile();
                std::exit(!read && store()->ReadFile() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "can't read .*/p\\.plist: Permission denied");
        struct stat st{};
        ASSERT_EQ(stat((dir / "p.plist").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.after);
        EXPECT_EQ(st.st_uid, user);
    }

    // A user's file saved by root stays the user's.
    if (geteuid() != 0) return;
    ASSERT_EQ(chown((dir / "p.plist").c_str(), user, user), 0);
    store()->WriteFile();
    struct stat st{};
    ASSERT_EQ(stat((dir / "p.plist").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, user);
    EXPECT_EQ(st.st_gid, user);
}

// Folders made for the preferences are the user's alone, whatever the umask.
TEST_F(HostileFolder, FolderNameBytesModeAndHomeFromTheAccount)
{
    const std::string odd = dir.string() + "/conf\xff\xfe";
    setenv("XDG_CONFIG_HOME", (odd + "/sub").c_str(), 1);
    const mode_t mask = umask(022);
    store()->WriteFile();
    umask(mask);
    EXPECT_TRUE(fs::exists(odd + "/sub/p.plist"));
    for (const std::string& folder : {odd, odd + "/sub"})
        EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;

    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    const Ref<FolderItem> folder = PreferencesFolder();
    if (!home.empty()) setenv("HOME", home.c_str(), 1);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Path(), String(std::string(getpwuid(getuid())->pw_dir) + "/.config"));
}

} // namespace
