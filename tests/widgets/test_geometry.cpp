// The main window's saved geometry: read when it opens, written when it closes.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "core/Window1.h"
#include "framework/MsgBox.h"

namespace {

namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string plist(const Pairs& pairs)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>";
    for (const auto& [k, v] : pairs) s += "\n\t<key>" + k + "</key>\n\t\n\t<string>" + v + "</string>\n\t";
    return s + "</dict>\n</plist>\n";
}

// The four saved values in the order they are written.
Pairs saved(int32_t top, int32_t left, int32_t width, int32_t height)
{
    return {{"Window1.Top", std::to_string(top)},
            {"Window1.Left", std::to_string(left)},
            {"Window1.Width", std::to_string(width)},
            {"Window1.Height", std::to_string(height)}};
}

std::vector<int32_t> geometryOf(const Window& w) { return {w.Top(), w.Left(), w.Width(), w.Height()}; }

class GeometryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startWithoutMainWindow());
        char pattern[] = "/tmp/qz-geometry.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        m_folder = m_root / "config";
        fs::create_directories(m_folder);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_oldConfig = old ? old : "";
        setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        m_oldSink = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
    }

    void TearDown() override
    {
        if (auto w = _GetImplicitWindow(Window1::kClassName)) w->Close();
        // Closed windows are released on the next pass of the loop.
        pumpEvents(10);
        ApplicationTesting::Reset();
        SetMsgBoxSink(m_oldSink);
        setenv("XDG_CONFIG_HOME", m_oldConfig.c_str(), 1);
        chmod(m_folder.c_str(), 0700);
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    fs::path prefsPath() const { return m_folder / "QuibZerevarovePrefs.plist"; }
    void writePrefs(const std::string& text) const { std::ofstream(prefsPath(), std::ios::binary) << text; }
    std::string readPrefs() const
    {
        std::ostringstream s;
        s << std::ifstream(prefsPath(), std::ios::binary).rdbuf();
        return s.str();
    }

    // Every key with the text of the value element that follows it, in file order.
    Pairs savedPairs() const
    {
        const std::string text = readPrefs();
        static const std::regex entry("<key>([^<]*)</key>\\s*<string>([^<]*)</string>");
        Pairs out;
        for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it)
            out.emplace_back((*it)[1], (*it)[2]);
        return out;
    }

    // Closing the main window saves its geometry and quits; the quit is
    // forgotten afterwards so the next window can open and close alike.
    void closeMain()
    {
        auto w = _GetImplicitWindow(Window1::kClassName);
        ASSERT_NE(w, nullptr);
        w->Close();
        EXPECT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr);
        EXPECT_TRUE(IsQuitting());
        pumpEvents(10);
        ApplicationTesting::Reset();
    }

    fs::path m_root, m_folder;
    std::string m_oldConfig;
    MsgBoxSink m_oldSink;
    std::vector<std::string> messages;
};

TEST_F(GeometryTest, FirstRunOrKeylessFileOpensAtDefaultsAndWritesThemAtOnce)
{
    const struct {
        const char* name;
        bool present;
        std::string text;
    } cases[] = {
        {"no file", false, ""},
        {"empty file", true, ""},
        {"head without keys", true, plist({})},
        {"key without its end", true, "<plist><dict><key>Window1.Top"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(prefsPath());
        if (c.present) writePrefs(c.text);
        auto w = Window1::Instance();
        EXPECT_EQ(geometryOf(*w), (std::vector<int32_t>{40, 10, 400, 120}));
        EXPECT_EQ(savedPairs(), saved(40, 10, 400, 120)) << "file right after opening:\n" << readPrefs();
        closeMain();
    }
    EXPECT_TRUE(messages.empty());
}

// Keys in another order, a missing one and strangers: each is found by name,
// the file stays as it is while open, and the strangers are gone after closing.
TEST_F(GeometryTest, SavedKeysAreFoundByNameAndRewrittenAtClose)
{
    const struct {
        Pairs file;
        std::vector<int32_t> opened;
    } cases[] = {
        {{{"Window1.Top", "200"}}, {200, 10, 400, 120}},
        {{{"Other.Setting", "7"},
          {"Window1.Height", "150"},
          {"Window1.Width", "333"},
          {"Window1.Left", "250"},
          {"Window1.Top", "300"},
          {"Window1.Extra", "x"}},
         {300, 250, 333, 150}},
    };
    for (const auto& c : cases) {
        const std::string text = plist(c.file);
        writePrefs(text);
        auto w = Window1::Instance();
        EXPECT_EQ(geometryOf(*w), c.opened);
        EXPECT_EQ(readPrefs(), text);
        closeMain();
        EXPECT_EQ(savedPairs(), saved(c.opened[0], c.opened[1], c.opened[2], c.opened[3]));
    }
    EXPECT_TRUE(messages.empty());
}

// A position off every screen is brought back partly on screen; one partly on
// screen comes back exactly, although the sizes are applied after the position.
TEST_F(GeometryTest, OffScreenPositionsStillOpenPartlyOnScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        std::string top, left, width, height;
        bool exact;
    } cases[] = {
        {"40", "-5000", "400", "120", false},      {"-5000", "10", "400", "120", false},
        {"9000", "9000", "400", "120", false},     {"-2147483648", "2147483647", "400", "120", false},
        {"40", "-650", "700", "120", true},       {"-100", "10", "400", "200", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("top " + c.top + " left " + c.left);
        writePrefs(plist({{"Window1.Top", c.top}, {"Window1.Left", c.left},
                          {"Window1.Width", c.width}, {"Window1.Height", c.height}}));
        auto w = Window1::Instance();
        EXPECT_EQ(w->Width(), std::stoi(c.width));
        EXPECT_EQ(w->Height(), std::stoi(c.height));
        EXPECT_TRUE(screen.intersects(QRect(w->Left(), w->Top(), w->Width(), w->Height())))
            << w->Left() << "," << w->Top();
        if (c.exact) {
            EXPECT_EQ(w->Top(), std::stoi(c.top));
            EXPECT_EQ(w->Left(), std::stoi(c.left));
        }
        // Only showing keeps a window reachable: a move of a shown one goes where it is asked.
        w->SetLeft(5 - w->Width());
        EXPECT_EQ(w->Left(), 5 - w->Width());
        closeMain();
    }
}

TEST_F(GeometryTest, UnwritableFolderKeepsTheOldFileAndStillCloses)
{
    const std::string text = plist(saved(300, 250, 333, 150));
    writePrefs(text);
    auto w = Window1::Instance();
    w->SetLeft(20);
    ExceptionRecorder exceptions;
    // Drop the right to write the folder, also for root.
    chmod(m_folder.c_str(), 0555);
    const bool switched = geteuid() == 0 && seteuid(65534) == 0;
    if (geteuid() != 0) closeMain();
    if (switched) (void)!seteuid(0);
    if (geteuid() == 0 && !switched) GTEST_SKIP() << "cannot give up the right to write the folder";
    EXPECT_EQ(messages, std::vector<std::string>{"couldn't write preferences File"});
    EXPECT_TRUE(exceptions.reports.empty());
    EXPECT_EQ(readPrefs(), text);
}

} // namespace
