// The main window's saved geometry: read when it opens, written when it closes,
// whatever the file holds, and kept when the folder cannot be written.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
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
using Geometry = std::vector<int32_t>; // top, left, width, height

std::string plist(const Pairs& pairs)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST "
                    "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>";
    for (const auto& [k, v] : pairs) s += "\n\t<key>" + k + "</key>\n\t\n\t<string>" + v + "</string>\n\t";
    return s + "</dict>\n</plist>\n\n";
}

// The file as the program writes it.
std::string saved(const Geometry& g)
{
    return plist({{"Window1.Top", std::to_string(g[0])}, {"Window1.Left", std::to_string(g[1])},
                  {"Window1.Width", std::to_string(g[2])}, {"Window1.Height", std::to_string(g[3])}});
}

Geometry geometryOf(const Window& w) { return {w.Top(), w.Left(), w.Width(), w.Height()}; }

class SavedGeometry : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        ASSERT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "a main window is still open";
        ApplicationTesting::Reset();
        char pattern[] = "/tmp/qz-geometry-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        oldConfig = std::getenv("XDG_CONFIG_HOME");
        setenv("XDG_CONFIG_HOME", pattern, 1);
        oldSink = SetMsgBoxSink([this](const String& m) { messages.push_back(m.ToUtf8()); });
        oldReportSink = SetUnhandledExceptionSink([this](const std::string& r) { reports.push_back(r); });
    }
    void TearDown() override
    {
        if (auto w = _GetImplicitWindow(Window1::kClassName)) w->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
        SetMsgBoxSink(oldSink);
        SetUnhandledExceptionSink(oldReportSink);
        if (oldConfig) setenv("XDG_CONFIG_HOME", oldConfig->c_str(), 1);
        chmod(folder.c_str(), 0700);
        fs::remove_all(folder);
    }

    std::string file() const
    {
        std::ostringstream s;
        s << std::ifstream(folder / "QuibZerevarovePrefs.plist", std::ios::binary).rdbuf();
        return s.str();
    }

    fs::path folder;
    std::optional<std::string> oldConfig;
    MsgBoxSink oldSink;
    UnhandledExceptionSink oldReportSink;
    std::vector<std::string> messages, reports;
};

// A file without a readable key gets the defaults at once; otherwise each key is
// found by name and the file stays as it is while the window is open. Values
// far beyond any screen still leave the window on one. Closing saves where the
// window is, unless the folder cannot be written: then the old file stays.
TEST_F(SavedGeometry, OpensWhereTheFileSaysAndSavesOnClose)
{
    const Geometry defaults = {40, 10, 400, 120}, placed = {300, 250, 333, 150};
    const std::string whole = saved(placed);
    const struct {
        const char* name;
        std::optional<std::string> file;
        Geometry opened; // empty: only somewhere on the screen
        bool readOnly = false;
    } cases[] = {
        {"no file", std::nullopt, defaults},
        {"empty file", "", defaults},
        {"cut in the first key", whole.substr(0, whole.find("Window1.Top") + 5), defaults},
        {"cut after the first value", whole.substr(0, whole.find("Window1.Left")), {300, 10, 400, 120}},
        {"any order, strangers",
         plist({{"Other.Setting", "7"}, {"Window1.Height", "150"}, {"Window1.Width", "333"}, {"Window1.Left", "250"},
                {"Window1.Top", "300"}, {"Window1.Extra", "x"}}),
         placed},
        {"beyond Int32",
         plist({{"Window1.Top", "-2147483648"}, {"Window1.Left", "2147483647"}, {"Window1.Width", "2147483648"},
                {"Window1.Height", "-2147483649"}}),
         {}},
        {"Int32 limits", saved({2147483647, -2147483647 - 1, -2147483647 - 1, 2147483647}), {}},
        {"unwritable folder", whole, placed, true},
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        fs::remove(folder / "QuibZerevarovePrefs.plist");
        if (c.file) std::ofstream(folder / "QuibZerevarovePrefs.plist", std::ios::binary) << *c.file;

        auto w = Window1::Instance();
        const Geometry opened = geometryOf(*w);
        if (!c.opened.empty()) {
            EXPECT_EQ(opened, c.opened);
        }
        EXPECT_TRUE(screen.intersects(QRect(w->Left(), w->Top(), w->Width(), w->Height())))
            << w->Left() << "," << w->Top() << " " << w->Width() << "x" << w->Height();
        const bool rewritten = c.opened == defaults;
        EXPECT_EQ(file(), rewritten ? saved(defaults) : *c.file) << "right after opening";

        w->SetLeft(w->Left() + 5);
        const Geometry closed = geometryOf(*w);
        w.reset();
        // Root writes anywhere, so the folder is closed to root by acting as nobody.
        const bool asNobody = c.readOnly && geteuid() == 0;
        if (c.readOnly) chmod(folder.c_str(), 0555);
        if (asNobody) (void)!seteuid(65534);
        Window1::Instance()->Close();
        if (asNobody) (void)!seteuid(0);
        chmod(folder.c_str(), 0700);
        EXPECT_TRUE(IsQuitting());
        pumpEvents(10);
        ApplicationTesting::Reset();

        EXPECT_EQ(file(), c.readOnly ? *c.file : saved(closed)) << "after closing";
        EXPECT_EQ(messages, c.readOnly ? std::vector<std::string>{"couldn't write preferences File"}
                                       : std::vector<std::string>{});
    }
    EXPECT_TRUE(reports.empty());
}

} // namespace
