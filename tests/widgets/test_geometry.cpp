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
#include <utility>
#include <vector>

#include "WidgetTestSupport.h"
#include "core/Window1.h"
#include "framework/MsgBox.h"

namespace {

namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<std::string, std::string>>;

const Pairs kDefaults = {
    {"Window1.Top", "40"}, {"Window1.Left", "10"}, {"Window1.Width", "400"}, {"Window1.Height", "120"}};

std::string plist(const Pairs& pairs)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>";
    for (const auto& [k, v] : pairs) s += "\n\t<key>" + k + "</key>\n\t\n\t<string>" + v + "</string>\n\t";
    return s + "</dict>\n</plist>\n";
}

struct Geometry {
    int32_t top, left, width, height;
    bool operator==(const Geometry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Geometry& g)
{
    return os << "top " << g.top << " left " << g.left << " " << g.width << " x " << g.height;
}

Geometry geometryOf(const Window& w) { return {w.Top(), w.Left(), w.Width(), w.Height()}; }

class GeometryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        ASSERT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "a main window is still open";
        ApplicationTesting::Reset();
        char pattern[] = "/tmp/qz-geometry.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        m_folder = m_root / "config";
        fs::create_directories(m_folder);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_oldConfig = old ? old : "";
        setConfigHome(m_folder);
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

    void setConfigHome(const fs::path& p) { setenv("XDG_CONFIG_HOME", p.c_str(), 1); }
    fs::path prefsPath() const { return m_folder / "QuibZerevarovePrefs.plist"; }

    void writePrefs(const std::string& text) const { std::ofstream(prefsPath(), std::ios::binary) << text; }

    std::string readPrefs() const
    {
        std::ifstream in(prefsPath(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
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
        EXPECT_FALSE(w->IsOpen());
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
        EXPECT_EQ(geometryOf(*w), (Geometry{40, 10, 400, 120}));
        EXPECT_EQ(savedPairs(), kDefaults) << "file right after opening:\n" << readPrefs();
        closeMain();
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(GeometryTest, PartialFileFillsTheRestWithDefaultsWithoutRewritingAtOpen)
{
    const std::string text = plist({{"Window1.Top", "200"}});
    writePrefs(text);
    auto w = Window1::Instance();
    EXPECT_EQ(geometryOf(*w), (Geometry{200, 10, 400, 120}));
    EXPECT_EQ(readPrefs(), text);
    closeMain();
    EXPECT_EQ(savedPairs(), (Pairs{{"Window1.Top", "200"},
                                   {"Window1.Left", "10"},
                                   {"Window1.Width", "400"},
                                   {"Window1.Height", "120"}}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(GeometryTest, FurtherKeysAreReadPastAndGoneAfterClose)
{
    // Keys in another order and a stranger among them: each is found by name.
    const std::string text = plist({{"Other.Setting", "7"},
                                    {"Window1.Height", "150"},
                                    {"Window1.Width", "333"},
                                    {"Window1.Left", "250"},
                                    {"Window1.Top", "300"},
                                    {"Window1.Extra", "x"}});
    writePrefs(text);
    auto w = Window1::Instance();
    EXPECT_EQ(geometryOf(*w), (Geometry{300, 250, 333, 150}));
    EXPECT_EQ(readPrefs(), text);
    closeMain();
    EXPECT_EQ(savedPairs(), (Pairs{{"Window1.Top", "300"},
                                   {"Window1.Left", "250"},
                                   {"Window1.Width", "333"},
                                   {"Window1.Height", "150"}}));
}

TEST_F(GeometryTest, MovedAndResizedWindowReopensWhereItWasClosed)
{
    auto w = Window1::Instance();
    w->SetLeft(123);
    w->SetTop(234);
    w->SetWidth(456);
    w->SetHeight(98);
    const Geometry moved = geometryOf(*w);
    ASSERT_EQ(moved, (Geometry{234, 123, 456, 98}));
    closeMain();
    w.reset();
    EXPECT_EQ(savedPairs(), (Pairs{{"Window1.Top", "234"},
                                   {"Window1.Left", "123"},
                                   {"Window1.Width", "456"},
                                   {"Window1.Height", "98"}}));
    auto again = Window1::Instance();
    EXPECT_EQ(geometryOf(*again), moved);
}

TEST_F(GeometryTest, PositionOffEveryScreenStillOpensPartlyOnScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* top;
        const char* left;
    } cases[] = {{"40", "-5000"}, {"-5000", "10"}, {"9000", "9000"}, {"-2147483648", "2147483647"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("top ") + c.top + " left " + c.left);
        writePrefs(plist({{"Window1.Top", c.top}, {"Window1.Left", c.left}}));
        auto w = Window1::Instance();
        EXPECT_EQ(w->Width(), 400);
        EXPECT_EQ(w->Height(), 120);
        const QRect content(w->Left(), w->Top(), w->Width(), w->Height());
        EXPECT_TRUE(screen.intersects(content)) << "window at " << geometryOf(*w);
        closeMain();
    }
}

// Drops the right to write the preferences folder while alive, also for root.
class Unprivileged {
public:
    explicit Unprivileged(const fs::path& folder)
    {
        chmod(folder.c_str(), 0555);
        if (geteuid() == 0) m_switched = seteuid(65534) == 0;
        m_ok = geteuid() != 0;
    }
    ~Unprivileged()
    {
        if (m_switched) (void)!seteuid(0);
    }
    bool ok() const { return m_ok; }

private:
    bool m_switched = false;
    bool m_ok = false;
};

TEST_F(GeometryTest, UnwritableFolderKeepsTheOldFileAndStillCloses)
{
    const std::string text = plist({{"Window1.Top", "300"},
                                    {"Window1.Left", "250"},
                                    {"Window1.Width", "333"},
                                    {"Window1.Height", "150"},
                                    {"Other.Setting", "7"}});
    writePrefs(text);
    auto w = Window1::Instance();
    w->SetLeft(20);
    ExceptionRecorder exceptions;
    {
        Unprivileged guard(m_folder);
        if (!guard.ok()) GTEST_SKIP() << "cannot give up the right to write the folder";
        closeMain();
    }
    EXPECT_EQ(messages, std::vector<std::string>{"couldn't write preferences File"});
    EXPECT_TRUE(exceptions.reports.empty());
    EXPECT_EQ(readPrefs(), text);
}

TEST_F(GeometryTest, NoPreferencesFolderOpensAtDefaultsAndSaysSo)
{
    // A folder that cannot be made: its parent is a file.
    std::ofstream(m_root / "file") << "x";
    setConfigHome(m_root / "file" / "config");
    ExceptionRecorder exceptions;
    auto w = Window1::Instance();
    EXPECT_EQ(geometryOf(*w), (Geometry{40, 10, 400, 120}));
    EXPECT_EQ(messages, std::vector<std::string>{"couldn't write preferences File"});
    closeMain();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(exceptions.reports.empty());
}

// A window left partly on screen comes back exactly there, although the sizes
// are applied after the position: with the old size it would be off screen.
TEST_F(GeometryTest, PartlyVisiblePositionIsRestoredExactly)
{
    const Geometry cases[] = {{40, -900, 1000, 120}, {-100, 10, 400, 200}, {40, -300, 400, 120}};
    for (const auto& g : cases) {
        SCOPED_TRACE(::testing::PrintToString(g));
        writePrefs(plist({{"Window1.Top", std::to_string(g.top)},
                          {"Window1.Left", std::to_string(g.left)},
                          {"Window1.Width", std::to_string(g.width)},
                          {"Window1.Height", std::to_string(g.height)}}));
        auto w = Window1::Instance();
        EXPECT_EQ(geometryOf(*w), g);
        closeMain();
    }
}

} // namespace
