#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

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
        std::ifstream in(folder() / name, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
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
    std::vector<std::string> messages;
};

using Messages = std::vector<std::string>;

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
    EXPECT_EQ(contents("two.plist"),
              kHead + "<dict>\n\t<key>Window1.Width</key>\n\t\n\t<string>400</string>\n\t"
                      "\n\t<key>Window1.Left</key>\n\t\n\t<string>-500</string>\n\t</dict>\n</plist>\n\n");
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
    for (const auto& [key, value] : entries) {
        const Variant got = reader->Get(key, Variant());
        EXPECT_EQ(got, StringToVariant(VariantToString(value))) << key;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(PreferencesFile, WritingReplacesTheWholeFile)
{
    auto first = store();
    first->Put("old", StringToVariant("1"));
    first->Put("kept", StringToVariant("1"));
    first->WriteFile();
    auto second = store();
    second->Put("kept", StringToVariant("2"));
    second->WriteFile();
    EXPECT_EQ(contents("p.plist"), kHead + "<dict>\n\t<key>kept</key>\n\t\n\t<string>2</string>\n\t</dict>\n</plist>\n\n");
}

TEST_F(PreferencesFile, GetStoresTheDefaultOnlyWhenAbsent)
{
    place("p.plist", kHead + "<dict>\n\t<key>Window1.Top</key>\n\t\n\t<string>40</string>\n\t</dict>\n</plist>\n");
    auto prefs = store();
    ASSERT_TRUE(prefs->ReadFile());
    EXPECT_EQ(prefs->Get("Window1.Top", Int32ToVariant(10)), StringToVariant("40"));
    EXPECT_EQ(prefs->Get("Window1.Left", Int32ToVariant(10)), Int32ToVariant(10));
    prefs->Put("Window1.Top", Int32ToVariant(7));
    prefs->WriteFile();
    EXPECT_EQ(contents("p.plist"), kHead + "<dict>\n\t<key>Window1.Top</key>\n\t\n\t<string>7</string>\n\t"
                                           "\n\t<key>Window1.Left</key>\n\t\n\t<string>10</string>\n\t</dict>\n</plist>\n\n");
}

TEST_F(PreferencesFile, ReadingKeepsOtherKeysAndTakesTheFilesValue)
{
    place("p.plist", kHead + "<dict>\n\t<key>shared</key>\n\t\n\t<string>theirs</string>\n\t"
                             "\n\t<key>new</key>\n\t\n\t<string>n</string>\n\t</dict>\n</plist>\n");
    auto prefs = store();
    prefs->Put("other", StringToVariant("o"));
    prefs->Put("shared", StringToVariant("mine"));
    EXPECT_TRUE(prefs->ReadFile());
    EXPECT_EQ(prefs->Get("other", Variant()), StringToVariant("o"));
    EXPECT_EQ(prefs->Get("shared", Variant()), StringToVariant("theirs"));
    EXPECT_EQ(prefs->Get("new", Variant()), StringToVariant("n"));
}

// Reading and Get's default go through the store's own, overridable Put.
TEST_F(PreferencesFile, ReadingStoresThroughPut)
{
    struct Recording : Preferences {
        void Put(const String& key, const Variant& value) override
        {
            puts.push_back(key.ToUtf8() + "=" + VariantToString(value).ToUtf8());
            Preferences::Put(key, value);
        }
        std::vector<std::string> puts;
    };
    place("p.plist", kHead + "<dict>\n\t<key>a</key>\n\t\n\t<string>1</string>\n\t"
                             "\n\t<key>a</key>\n\t\n\t<string>2</string>\n\t</dict>\n</plist>\n");
    Recording prefs;
    prefs.Filename = "p.plist";
    EXPECT_TRUE(prefs.ReadFile());
    prefs.Get("b", Int32ToVariant(3));
    prefs.Get("a", Int32ToVariant(4));
    EXPECT_EQ(prefs.puts, (std::vector<std::string>{"a=1", "a=2", "b=3"}));
    EXPECT_EQ(prefs.Get("a", Variant()), StringToVariant("2"));
}

// A store's content is observed through the file it writes.
TEST_F(PreferencesFile, ReadsThatFindNoKeyChangeNothing)
{
    const std::string written = kHead + "<dict>\n\t<key>mine</key>\n\t\n\t<string>1</string>\n\t</dict>\n</plist>\n\n";
    const struct {
        const char* name;
        std::optional<std::string> file;  // nullopt: no file at all
    } cases[] = {
        {"missing file", std::nullopt},
        {"head without key", kHead + "<dict>\n\t</dict>\n</plist>\n"},
        {"key never closed", kHead + "<dict>\n\t<key>x\n"},
        {"close before open", "</key><key>x"},
        {"empty file", ""},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder());
        if (c.file) place("in.plist", *c.file);
        auto prefs = store("in.plist");
        prefs->Put("mine", StringToVariant("1"));
        EXPECT_FALSE(prefs->ReadFile()) << c.name;
        prefs->Filename = "out.plist";
        prefs->WriteFile();
        EXPECT_EQ(contents("out.plist"), written) << c.name;
    }
    EXPECT_EQ(messages, Messages{});
}

TEST_F(PreferencesFile, MessagesForEmptyNameAndEmptyStore)
{
    place("p.plist", "old");
    auto unnamed = std::make_shared<Preferences>();
    unnamed->WriteFile();
    EXPECT_FALSE(unnamed->ReadFile());
    EXPECT_EQ(messages, (Messages{"can't write preferences because no filename has been set",
                                  "Can't read preferences because no filename has been set"}));

    messages.clear();
    auto cleared = store();
    cleared->Put("a", StringToVariant("1"));
    cleared->Clear();
    cleared->WriteFile();
    EXPECT_EQ(messages, Messages{"can't write preferences because none have been set"});
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
    for (const auto& entry : fs::directory_iterator(folder()))
        EXPECT_EQ(entry.path().filename(), "p.plist") << "temporary file left behind";

    // A name that cannot be a file in the folder, and a name taken by a folder.
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
    EXPECT_FALSE(fs::exists(folder()));
    auto prefs = store();
    prefs->Put("a", StringToVariant("1"));
    prefs->WriteFile();
    ASSERT_TRUE(fs::exists(folder() / "p.plist"));

    const Ref<FolderItem> item = PreferencesFolder()->Child("p.plist");
    const Ref<FolderItem> probe = PreferencesFolder()->Child("probe");
    place("probe", "");
    probe->MacType("TEST");
    if (probe->MacType() != String("TEST")) GTEST_SKIP() << "no user attributes on this file system";
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

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(ScanPlistText, MalformedTextsEndWithADefinedResult)
{
    const struct {
        const char* name;
        const char* text;
        bool result;
        Pairs pairs;
    } cases[] = {
        {"empty", "", false, {}},
        {"open key only", "<key>", false, {}},
        {"key never closed", "<key>A", false, {}},
        {"close before open", "</key><key>A", false, {}},
        {"no string", "<key>A</key>", true, {}},
        {"string never closed", "<key>A</key><string>1", true, {}},
        {"second key never closed", "<key>A</key><string>1</string><key>B", true, {{"A", "1"}}},
        {"second string never closed", "<key>A</key><string>1</string><key>B</key><string>2", true, {{"A", "1"}}},
        {"other element takes the next string", "<key>A</key><integer>5</integer><key>B</key><string>2</string>",
         true, {{"A", "2"}}},
        {"later duplicate follows", "<key>A</key><string>1</string><key>A</key><string>2</string>", true,
         {{"A", "1"}, {"A", "2"}}},
        {"key marker inside a value", "<key>A</key><string>x<key>y</string>", true, {{"A", "x<key>y"}}},
        {"key marker inside a key", "<key><key></key><string></string>", true, {{"<key>", ""}}},
        {"markers only", "<key></key><string></string>", true, {{"", ""}}},
        {"string before key", "<string>s</string><key>A</key>", true, {}},
    };
    for (const auto& c : cases) {
        Pairs got;
        const bool result = ScanPlistText(String(c.text), [&](const String& k, const String& v) {
            got.emplace_back(k.ToUtf8(), v.ToUtf8());
        });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(got, c.pairs) << c.name;
    }
}

} // namespace
