#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "framework/Files.h"
#include "framework/MsgBox.h"
#include "prefs/PlistText.h"
#include "prefs/Preferences.h"

namespace fs = std::filesystem;

namespace {

using Messages = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

// The file as it is written: every byte of its head, entries and tail.
std::string plist(const Pairs& pairs)
{
    std::string body;
    for (const auto& [k, v] : pairs) body += "\n\t<key>" + k + "</key>\n\t\n\t<string>" + v + "</string>\n\t";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>" +
           body + "</dict>\n</plist>\n\n";
}

// Each test gets its own preferences folder, not made yet, and records the message boxes.
class PreferencesFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qz-prefs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) savedConfig = old;
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        previousSink = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
    }
    void TearDown() override
    {
        SetMsgBoxSink(previousSink);
        if (savedConfig.empty()) unsetenv("XDG_CONFIG_HOME");
        else setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
        fs::remove_all(root);
    }

    fs::path folder() const { return root / "config"; }
    std::string contents(const std::string& name) const
    {
        std::ostringstream out;
        out << std::ifstream(folder() / name, std::ios::binary).rdbuf();
        return out.str();
    }
    static Ref<Preferences> store(const char* name = "p.plist")
    {
        auto prefs = std::make_shared<Preferences>();
        prefs->Filename = name;
        return prefs;
    }

    fs::path root;
    std::string savedConfig;
    MsgBoxSink previousSink;
    Messages messages;
};

// Written into a folder made for it, with its codes stamped, and read back as text.
TEST_F(PreferencesFile, EntriesAreWrittenExactlyAndReadBackAsText)
{
    const std::vector<std::pair<const char*, Variant>> entries = {
        {"Window1.Height", Int32ToVariant(-400)}, {"marks", StringToVariant("a<b>&c\"'")},
        {"empty", StringToVariant("")},           {"", StringToVariant("empty key")},
        {"accents", StringToVariant("\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB5")},
    };
    auto writer = store();
    for (const auto& [key, value] : entries) writer->Put(key, value);
    writer->WriteFile();
    EXPECT_EQ(contents("p.plist"), plist({{"Window1.Height", "-400"}, {"marks", "a<b>&c\"'"}, {"empty", ""},
                                          {"", "empty key"}, {"accents", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB5"}}));

    auto reader = store();
    EXPECT_TRUE(reader->ReadFile());
    for (const auto& [key, value] : entries)
        EXPECT_EQ(reader->Get(key, Variant()), StringToVariant(VariantToString(value))) << key;
    EXPECT_TRUE(messages.empty());

    std::ofstream(folder() / "probe") << "";
    const Ref<FolderItem> probe = PreferencesFolder()->Child("probe");
    probe->MacType("TEST");
    if (probe->MacType() != String("TEST")) GTEST_SKIP() << "no user attributes on this file system";
    const Ref<FolderItem> item = PreferencesFolder()->Child("p.plist");
    EXPECT_EQ(item->MacCreator(), String("????"));
    EXPECT_EQ(item->MacType(), String("????"));
}

// What a read leaves in a store that held "mine", seen through the file it writes next.
TEST_F(PreferencesFile, ReadsMergeLaterValuesAndFailedReadsChangeNothing)
{
    const struct {
        const char* name;
        std::optional<std::string> file; // nullopt: none; "/": a folder in its place
        bool result;
        Pairs after;
    } cases[] = {
        {"missing file", std::nullopt, false, {{"mine", "1"}}},
        {"a folder in its place", "/", false, {{"mine", "1"}}},
        {"empty file", "", false, {{"mine", "1"}}},
        {"head without key", plist({}), false, {{"mine", "1"}}},
        {"key never closed", "<dict>\n\t<key>mine</key", false, {{"mine", "1"}}},
        {"repeated keys", plist({{"a", "1"}, {"mine", "2"}, {"a", "3"}}), true, {{"mine", "2"}, {"a", "3"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder());
        fs::create_directories(folder());
        if (c.file == "/") fs::create_directory(folder() / "in.plist");
        else if (c.file) std::ofstream(folder() / "in.plist", std::ios::binary) << *c.file;
        auto prefs = store("in.plist");
        prefs->Put("mine", StringToVariant("1"));
        EXPECT_EQ(prefs->ReadFile(), c.result);
        prefs->Filename = "out.plist";
        prefs->WriteFile();
        EXPECT_EQ(contents("out.plist"), plist(c.after));
    }
    EXPECT_TRUE(messages.empty());
}

// The writer takes only a text the reader gives back whole; anything longer is
// refused with the message and the old file stays.
TEST_F(PreferencesFile, PageSetupTextsReadBackUpToTheReadersLimit)
{
    auto prefs = store();
    prefs->PagePrefsFilename = "page";
    const std::size_t fits = TextInputStream::MaxSize - 1; // the line end takes the last byte
    const struct {
        const char* name;
        std::string text;
        bool written;
    } cases[] = {
        {"short", "<key>x</key> \xC3\xA9", true},
        {"up to the limit", std::string(fits, 'x'), true},
        {"one byte more", std::string(fits + 1, 'x'), false},
        {"a last character of two bytes", std::string(fits - 1, 'x') + "\xC3\xA9", false},
        {"3 MiB", std::string(3 << 20, 'x'), false},
        {"empty", "", true},
    };
    std::string onDisk;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        prefs->WritePagePrefsFile(String(c.text));
        if (c.written) onDisk = c.text + "\n";
        EXPECT_EQ(messages, c.written ? Messages{} : Messages{"couldn't write page preferences File"});
        const std::string read = prefs->ReadPagePrefsFile().ToUtf8();
        EXPECT_TRUE(read == onDisk) << read.size() << " bytes read, " << onDisk.size() << " on disk";
    }
}

// Without a name, an entry, a folder or room on the disk nothing is written,
// the old file stays and the user is told once per try.
TEST_F(PreferencesFile, FailedReadsAndWritesKeepTheOldFileAndSayOnce)
{
    auto prefs = store();
    prefs->Put("a", StringToVariant("first"));
    prefs->WriteFile();
    const std::string old = contents("p.plist");
    auto unnamed = std::make_shared<Preferences>();
    unnamed->WriteFile();
    EXPECT_FALSE(unnamed->ReadFile());
    unnamed->WritePagePrefsFile(String("page"));
    EXPECT_EQ(unnamed->ReadPagePrefsFile(), String());
    auto cleared = store();
    cleared->Clear();
    cleared->WriteFile();
    EXPECT_EQ(messages, (Messages{"can't write preferences because no filename has been set",
                                  "Can't read preferences because no filename has been set",
                                  "can't write page preferences because no filename has been set",
                                  "Can't read preferences because no filename has been set",
                                  "can't write preferences because none have been set"}));

    // A write cut short (here by the file-size limit, as a full disk would) is never committed.
    messages.clear();
    prefs->Put("a", StringToVariant(std::string(4096, 'x')));
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    prefs->WriteFile();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(contents("p.plist"), old);
    for (const auto& e : fs::directory_iterator(folder()))
        EXPECT_EQ(e.path().filename(), "p.plist") << "temporary file left behind";

    // Names that cannot be a file in the folder, a name taken by a folder, and no folder at all.
    fs::create_directory(folder() / "taken");
    for (const char* name : {"taken", "sub/p.plist", ".."}) {
        auto other = store(name);
        other->Put("a", StringToVariant("1"));
        other->WriteFile();
        EXPECT_FALSE(other->ReadFile()) << name;
    }
    setenv("XDG_CONFIG_HOME", (folder() / "p.plist" / "config").c_str(), 1);
    EXPECT_EQ(PreferencesFolder(), nullptr);
    EXPECT_FALSE(prefs->ReadFile());
    prefs->WriteFile();
    EXPECT_EQ(messages, Messages(5, "couldn't write preferences File"));
    EXPECT_TRUE(fs::is_directory(folder() / "taken"));
}

TEST(ScanPlistText, MalformedTextsEndWithADefinedResult)
{
    const struct {
        const char* text;
        bool result;
        Pairs pairs;
    } cases[] = {
        {"", false, {}},
        {"<key>A", false, {}},
        {"</key><key>A", false, {}},
        {"<key>A</key>", true, {}},
        {"<key>A</key><string>1", true, {}},
        {"<key>A</key><string>1</string><key>B", true, {{"A", "1"}}},
        {"<key>A</key><integer>5</integer><key>B</key><string>2</string>", true, {{"A", "2"}}},
        {"<key>A</key><string>x<key>y</string>", true, {{"A", "x<key>y"}}},
        {"<key><key></key><string></string>", true, {{"<key>", ""}}},
        {"<string>s</string><key>A</key>", true, {}},
    };
    for (const auto& c : cases) {
        Pairs got;
        const bool result = ScanPlistText(String(c.text), [&](const String& k, const String& v) {
            got.emplace_back(k.ToUtf8(), v.ToUtf8());
        });
        EXPECT_EQ(result, c.result) << c.text;
        EXPECT_EQ(got, c.pairs) << c.text;
    }
}

} // namespace
