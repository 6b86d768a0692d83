// The main window's saved geometry: read when it opens, written when it closes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
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
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST "
                    "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>";
    for (const auto& [k, v] : pairs) s += "\n\t<key>" + k + "</key>\n\t\n\t<string>" + v + "</string>\n\t";
    return s + "</dict>\n</plist>\n\n";
}

// The file as the program writes it: the four values in this order.
std::string saved(int32_t top, int32_t left, int32_t width, int32_t height)
{
    return plist({{"Window1.Top", std::to_string(top)}, {"Window1.Left", std::to_string(left)},
                  {"Window1.Width", std::to_string(width)}, {"Window1.Height", std::to_string(height)}});
}

class GeometryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startWithoutMainWindow());
        char pattern[] = "/tmp/qz-geometry.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_oldConfig = std::getenv("XDG_CONFIG_HOME");
        setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        m_oldSink = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
    }
    void TearDown() override
    {
        if (auto w = _GetImplicitWindow(Window1::kClassName)) w->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
        SetMsgBoxSink(m_oldSink);
        setenv("XDG_CONFIG_HOME", m_oldConfig.c_str(), 1);
        fs::remove_all(m_folder);
    }

    fs::path prefsPath() const { return m_folder / "QuibZerevarovePrefs.plist"; }
    std::string readPrefs() const
    {
        std::ostringstream s;
        s << std::ifstream(prefsPath(), std::ios::binary).rdbuf();
        return s.str();
    }
    // Closing the main window saves its geometry and quits; the quit is
    // forgotten afterwards so the next window can open and close alike.
    void closeMain()
    {
        Window1::Instance()->Close();
        EXPECT_TRUE(IsQuitting());
        pumpEvents(10);
        ApplicationTesting::Reset();
    }

    fs::path m_folder;
    std::string m_oldConfig;
    MsgBoxSink m_oldSink;
    std::vector<std::string> messages;
};

// A file without keys gets the defaults at once; otherwise each key is found by
// name, the file stays as it is while open, and strangers are gone after closing.
TEST_F(GeometryTest, SavedKeysAreFoundByNameDefaultsWrittenAtOnce)
{
    const struct {
        const char* name;
        std::optional<std::string> file;
        std::vector<int32_t> opened; // top, left, width, height
    } cases[] = {
        {"no file", std::nullopt, {40, 10, 400, 120}},
        {"empty file", "", {40, 10, 400, 120}},
        {"key without its end", "<plist><dict><key>Window1.Top", {40, 10, 400, 120}},
        {"one key", plist({{"Window1.Top", "200"}}), {200, 10, 400, 120}},
        {"another order and strangers",
         plist({{"Other.Setting", "7"}, {"Window1.Height", "150"}, {"Window1.Width", "333"}, {"Window1.Left", "250"},
                {"Window1.Top", "300"}, {"Window1.Extra", "x"}}),
         {300, 250, 333, 150}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(prefsPath());
        if (c.file) std::ofstream(prefsPath(), std::ios::binary) << *c.file;
        auto w = Window1::Instance();
        EXPECT_EQ((std::vector<int32_t>{w->Top(), w->Left(), w->Width(), w->Height()}), c.opened);
        const std::string written = saved(c.opened[0], c.opened[1], c.opened[2], c.opened[3]);
        EXPECT_EQ(readPrefs(), c.opened[0] == 40 ? written : *c.file) << "file right after opening";
        w->SetLeft(c.opened[1] + 5);
        closeMain();
        EXPECT_EQ(readPrefs(), saved(c.opened[0], c.opened[1] + 5, c.opened[2], c.opened[3]));
    }
    EXPECT_TRUE(messages.empty());
}

} // namespace
