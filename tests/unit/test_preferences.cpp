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

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

std::string entry(const std::string& key, const std::string& value)
{
    return "\n\t<key>" + key + "</key>\n\t\n\t<string>" + value + "</string>\n\t";
}

std::string plist(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    std::string body;
    for (const auto& [k, v] : pairs) body += entry(k, v);
    return kHead + "<dict>" + body + "</dict>\n</plist>\n\n";
}

// Each test gets its own preferences folder and records the message boxes.
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
        if (savedConfig) setenv("XDG_CONFIG_HOME", savedConfig->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    fs::path folder() const { return root / "config"; }

    std::string contents(const std::string& name) const
    {
        std::ostringstream out;
        out << std::ifstream(folder() / name, std::ios::binary).rdbuf();
        return out.str();
    }

    void place(const std::string& name, const std::string& text) const
    {
        fs::create_directories(folder());
        std::ofstream(folder() / name, std::ios::binary) << text;
    }

    static Ref<Preferences> store(const char* name = "p.plist")
    {
        auto prefs = std::make_shared<Preferences>();
        prefs->Filename = name;
        return prefs;
    }

    fs::path root;
    std::optional<std::string> savedConfig;
    MsgBoxSink previousSink;
    Messages messages;
};

// One entry is 9 lines, two are 13; the stream's own line end follows the text.
TEST_F(PreferencesFile, LayoutIsExact)
{
    auto one = store("one.plist");
    one->Put("A", StringToVariant("1"));
    one->WriteFile();
    EXPECT_EQ(contents("one.plist"), kHead + "<dict>\n\t<key>A</key>\n\t\n\t<string>1</string>\n\t</dict>\n</plist>\n\n");

    auto two = store("two.plist");
    two->Put("Window1.Width", Int32ToVariant(400));
    two->Put("Window1.Left", Int32ToVariant(-500));
    two->WriteFile();
    EXPECT_EQ(contents("two.plist"), plist({{"Window1.Width", "400"}, {"Window1.Left", "-500"}}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(PreferencesFile, EntriesReadBackAsWrittenText)
{
    const std::vector<std::pair<const char*, Variant>> entries = {
        {"Window1.Height", Int32ToVariant(400)}, {"marks", StringToVariant("a<b>&c\"'")},
        {"empty", StringToVariant("")},          {"", StringToVariant("empty key")},
        {"accents", StringToVariant("\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB5")},
    };
    auto writer = store();
    for (const auto& [key, value] : entries) writer->Put(key, value);
    writer->WriteFile();

    auto reader = store();
    EXPECT_TRUE(reader->ReadFile());
    for (const auto& [key, value] : entries)
        EXPECT_EQ(reader->Get(key, Variant()), StringToVariant(VariantToString(value))) << key;
    EXPECT_TRUE(messages.empty());
}

// Reading and Get's default go through the store's own, overridable Put; a
// default is stored only when the key is absent, and the file's value wins.
TEST_F(PreferencesFile, ReadingStoresThroughPutAndKeepsOtherKeys)
{
    struct Recording : Preferences {
        void Put(const String& key, const Variant& value) override
        {
            puts.push_back(key.ToUtf8() + "=" + VariantToString(value).ToUtf8());
            Preferences::Put(key, value);
        }
        std::vector<std::string> puts;
    };
    place("p.plist", plist({{"a", "1"}, {"a", "2"}, {"shared", "theirs"}}));
    Recording prefs;
    prefs.Filename = "p.plist";
    prefs.Preferences::Put("other", StringToVariant("o"));
    prefs.Preferences::Put("shared", StringToVariant("mine"));
    EXPECT_TRUE(prefs.ReadFile());
    prefs.Get("b", Int32ToVariant(3));
    prefs.Get("a", Int32ToVariant(4));
    EXPECT_EQ(prefs.puts, (std::vector<std::string>{"a=1", "a=2", "shared=theirs", "b=3"}));
    EXPECT_EQ(prefs.Get("a", Variant()), StringToVariant("2"));
    EXPECT_EQ(prefs.Get("other", Variant()), StringToVariant("o"));
    EXPECT_EQ(prefs.Get("shared", Variant()), StringToVariant("theirs"));
}

// A store's content is observed through the file it writes.
TEST_F(PreferencesFile, ReadsThatFindNoKeyChangeNothing)
{
    const struct {
        const char* name;
        std::optional<std::string> file; // nullopt: no file at all
    } cases[] = {
        {"missing file", std::nullopt},
        {"head without key", kHead + "<dict>\n\t</dict>\n</plist>\n"},
        {"key never closed", kHead + "<dict>\n\t<key>x\n"},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder());
        if (c.file) place("in.plist", *c.file);
        auto prefs = store("in.plist");
        prefs->Put("mine", StringToVariant("1"));
        EXPECT_FALSE(prefs->ReadFile()) << c.name;
        prefs->Filename = "out.plist";
        prefs->WriteFile();
        EXPECT_EQ(contents("out.plist"), plist({{"mine", "1"}})) << c.name;
    }
    EXPECT_EQ(messages, Messages{});
}

TEST_F(PreferencesFile, MessagesForEmptyNameAndEmptyStore)
{
    place("p.plist", "old");
    auto unnamed = std::make_shared<Preferences>();
    unnamed->WriteFile();
    EXPECT_FALSE(unnamed->ReadFile());
    auto cleared = store();
    cleared->Put("a", StringToVariant("1"));
    cleared->Clear();
    cleared->WriteFile();
    EXPECT_EQ(messages, (Messages{"can't write preferences because no filename has been set",
                                  "Can't read preferences because no filename has been set",
                                  "can't write preferences because none have been set"}));
    EXPECT_EQ(contents("p.plist"), "old");
}

TEST_F(PreferencesFile, FailedWritesKeepTheOldFileAndSayOnce)
{
    auto prefs = store();
    prefs->Put("a", StringToVariant("first"));
    prefs->WriteFile();
    const std::string old = contents("p.plist");

    // A write cut short (here by the file-size limit, as a full disk would) is never committed.
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
    EXPECT_EQ(messages, Messages{"couldn't write preferences File"});
    EXPECT_EQ(contents("p.plist"), old);
    for (const auto& e : fs::directory_iterator(folder()))
        EXPECT_EQ(e.path().filename(), "p.plist") << "temporary file left behind";

    // Names that cannot be a file in the folder, and a name taken by a folder.
    messages.clear();
    fs::create_directory(folder() / "taken");
    for (const char* name : {"taken", "sub/p.plist", ".."}) {
        auto other = store(name);
        other->Put("a", StringToVariant("1"));
        other->WriteFile();
        EXPECT_FALSE(other->ReadFile()) << name;
    }
    EXPECT_EQ(messages, Messages(3, "couldn't write preferences File"));
    EXPECT_TRUE(fs::is_directory(folder() / "taken"));
}

TEST_F(PreferencesFile, NoPreferencesFolder)
{
    place("file", "x");
    setenv("XDG_CONFIG_HOME", (folder() / "file" / "config").c_str(), 1);
    EXPECT_EQ(PreferencesFolder(), nullptr);
    auto prefs = store();
    EXPECT_FALSE(prefs->ReadFile());
    prefs->Put("a", StringToVariant("1"));
    prefs->WriteFile();
    prefs->PagePrefsFilename = "page";
    prefs->WritePagePrefsFile("t");
    EXPECT_EQ(prefs->ReadPagePrefsFile(), String());
    EXPECT_EQ(messages, (Messages{"couldn't write preferences File", "couldn't write page preferences File"}));
}

TEST_F(PreferencesFile, FolderIsCreatedAndCodesAreStamped)
{
    auto prefs = store();
    prefs->Put("a", StringToVariant("1"));
    prefs->WriteFile();
    ASSERT_TRUE(fs::exists(folder() / "p.plist"));

    place("probe", "");
    const Ref<FolderItem> probe = PreferencesFolder()->Child("probe");
    probe->MacType("TEST");
    if (probe->MacType() != String("TEST")) GTEST_SKIP() << "no user attributes on this file system";
    const Ref<FolderItem> item = PreferencesFolder()->Child("p.plist");
    EXPECT_EQ(item->MacCreator(), String("????"));
    EXPECT_EQ(item->MacType(), String("????"));
}

TEST_F(PreferencesFile, PagePrefsFile)
{
    auto prefs = store();
    prefs->WritePagePrefsFile("lost");
    EXPECT_EQ(prefs->ReadPagePrefsFile(), String());
    EXPECT_EQ(messages, (Messages{"can't write page preferences because no filename has been set",
                                  "Can't read preferences because no filename has been set"}));

    messages.clear();
    prefs->PagePrefsFilename = "page.txt";
    EXPECT_EQ(prefs->ReadPagePrefsFile(), String());
    prefs->WritePagePrefsFile("first");
    prefs->WritePagePrefsFile("<key>x</key> \xC3\xA9");
    EXPECT_EQ(prefs->ReadPagePrefsFile(), String("<key>x</key> \xC3\xA9\n"));
    prefs->WritePagePrefsFile("");
    EXPECT_EQ(contents("page.txt"), "\n");
    EXPECT_FALSE(fs::exists(folder() / "p.plist"));

    fs::create_directory(folder() / "dir");
    prefs->PagePrefsFilename = "dir";
    prefs->WritePagePrefsFile("x");
    EXPECT_EQ(prefs->ReadPagePrefsFile(), String());
    EXPECT_EQ(messages, Messages{"couldn't write page preferences File"});
}

TEST(ScanPlistText, MalformedTextsEndWithADefinedResult)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
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
