#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QWidget>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "WidgetTestSupport.h"
#include "about/AboutWindow.h"
#include "about/Credits.h"
#include "about/Pictures.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBackground = 0xFF0000;

// Fresh picture caches and a resource file named by QZ_RESOURCE_FILE for each test.
class AboutPictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!saved) setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 1);
        builtFile = std::getenv("QZ_RESOURCE_FILE");
        fs::create_directories(folder);
        ReleasePictureItems();
        _RuntimeRegisterAppObject(std::make_shared<Application>());
        window = AboutWindow::Instance();
        window->Show(true);
    }
    void TearDown() override
    {
        window->Close();
        pumpEvents();
        ReleasePictureItems();
        _RuntimeRegisterAppObject(savedApp);
        if (saved) setenv("QZ_RESOURCE_FILE", saved->c_str(), 1);
        else unsetenv("QZ_RESOURCE_FILE");
        fs::remove_all(folder);
    }

    Ref<Canvas> canvas(const char* name) const { return RuntimeCheckCast<Canvas>(window->ControlByName(name)); }

    // Paints the canvas onto a red picture of its size, as its Paint event would.
    Ref<Picture> paint(const char* name) const
    {
        const auto c = canvas(name);
        auto target = Picture::New(c->Width(), c->Height(), 32);
        auto g = target->Graphics();
        g->SetForeColor(kBackground);
        g->FillRect(0, 0, c->Width(), c->Height());
        c->raisePaint(*g);
        return target;
    }

    // The built resource file with picture 168 renamed, so that it is no longer found.
    fs::path withoutIcon() const
    {
        std::ifstream in(builtFile, std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::vector<char> name;
        for (char ch : std::string("168.png")) name.insert(name.end(), {'\0', ch});
        auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
        EXPECT_NE(at, bytes.end());
        if (at != bytes.end()) *(at + std::ptrdiff_t(name.size()) - 1) = 'x';
        EXPECT_EQ(std::search(at, bytes.end(), name.begin(), name.end()), bytes.end()) << "one entry of that name";
        const fs::path out = folder / "no-icon.rcc";
        std::ofstream(out, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return out;
    }

    const std::optional<std::string> saved =
        std::getenv("QZ_RESOURCE_FILE") ? std::optional<std::string>(std::getenv("QZ_RESOURCE_FILE")) : std::nullopt;
    const Ref<Application> savedApp = _GetAppObject();
    std::string builtFile;
    const fs::path folder = fs::path(::testing::TempDir()) / ("qz-about-" + std::to_string(::getpid()));
    Ref<AboutWindow> window;
};

// The corners of the mask let the background through; the body shows the icon,
// scaled so that the canvas's far corner is the icon's, outside the mask.
TEST_F(AboutPictures, PicturesAreDrawnThroughTheirMasks)
{
    const auto shown = paint("AppIconCanvas");
    const auto icon = AboutIcon();
    ASSERT_TRUE(icon && icon->Mask(false));
    ASSERT_EQ(icon->Width(), 128);
    EXPECT_EQ(shown->Pixel(1, 1).Rgb(), kBackground);
    EXPECT_EQ(shown->Pixel(9, 32).Rgb(), icon->Pixel(18, 64).Rgb());
    EXPECT_NE(shown->Pixel(32, 32).Rgb(), kBackground);
    EXPECT_EQ(shown->Pixel(62, 62).Rgb(), kBackground);

    // The badge is drawn unscaled, its rounded corners masked away.
    const auto badge = paint("KvIconCanvas");
    EXPECT_EQ(badge->Pixel(0, 0).Rgb(), kBackground);
    EXPECT_EQ(badge->Pixel(108, 15).Rgb(), MwKvHzMd()->Pixel(108, 15).Rgb());
}

// With no resource file left a fetch would fail; the caches serve every repaint,
// also in a window opened afresh.
TEST_F(AboutPictures, RepaintingFetchesNothingAgain)
{
    paint("AppIconCanvas");
    paint("KvIconCanvas");
    std::vector<Ref<Picture>> cached;
    for (int32_t n = 0; n < 4; ++n) cached.push_back(CachedPictureItem(n));
    ASSERT_TRUE(std::all_of(cached.begin(), cached.end(), [](const auto& p) { return p != nullptr; }));

    setenv("QZ_RESOURCE_FILE", (folder / "absent.rcc").c_str(), 1);
    ExceptionRecorder recorder;
    window->Close();
    pumpEvents();
    window = AboutWindow::Instance();
    window->Show(true);
    const auto again = paint("AppIconCanvas");
    paint("KvIconCanvas");
    EXPECT_TRUE(recorder.reports.empty()) << recorder.reports.front();
    for (int32_t n = 0; n < 4; ++n) EXPECT_EQ(CachedPictureItem(n), cached[std::size_t(n)]) << n;
    EXPECT_NE(again->Pixel(32, 32).Rgb(), kBackground);
}

TEST_F(AboutPictures, MissingIconRaisesAtPaintAndIsFetchedAgain)
{
    setenv("QZ_RESOURCE_FILE", withoutIcon().c_str(), 1);
    {
        ExceptionRecorder recorder;
        const auto shown = paint("AppIconCanvas");
        paint("KvIconCanvas");
        ASSERT_EQ(recorder.reports.size(), 1u) << "the badge does not depend on the icon";
        EXPECT_NE(recorder.reports[0].find("NilObjectException"), std::string::npos) << recorder.reports[0];
        EXPECT_FALSE(CachedPictureItem(0));
        EXPECT_EQ(shown->Pixel(32, 32).Rgb(), kBackground) << "nothing drawn";
    }
    setenv("QZ_RESOURCE_FILE", builtFile.c_str(), 1);
    ExceptionRecorder recorder;
    paint("AppIconCanvas");
    EXPECT_TRUE(recorder.reports.empty());
    EXPECT_TRUE(CachedPictureItem(0));
}

TEST_F(AboutPictures, BadgeClickOpensThePageOncePerPress)
{
    std::vector<String> opened;
    const auto previous = SetUrlOpener([&opened](const String& address) { opened.push_back(address); });
    EXPECT_FALSE(canvas("KvIconCanvas")->raiseMouseDown(3, 4));
    EXPECT_FALSE(canvas("AppIconCanvas")->raiseMouseDown(3, 4));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], BadgeAddress());

    // A real press travels on to the window once the badge lets it go.
    QWidget* badge = canvas("KvIconCanvas")->priv().widget.data();
    ASSERT_TRUE(badge);
    const QPointF at(100, 15);
    QMouseEvent press(QEvent::MouseButtonPress, at, badge->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, badge->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(badge, &press);
    QCoreApplication::sendEvent(badge, &release);
    EXPECT_EQ(opened.size(), 2u);
    SetUrlOpener(previous);
    EXPECT_TRUE(InStr(Lowercase(BadgeAddress()), "example.")) << BadgeAddress();
}

} // namespace
