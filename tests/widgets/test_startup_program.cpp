// The whole program in this process: start-up in order, the loop, closing
// the main window, finalisation and the exit status.
#include <gtest/gtest.h>

#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "about/Pictures.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "core/SoundBank.h"
#include "core/Window1.h"
#include "framework/ClassRegistry.h"
#include "framework/Window_p.h"

namespace {

struct Seen {
    std::vector<std::string> classes;
    bool appRegistered = false, handlersBound = false, mainOpen = false, soundsCached = false;
    std::size_t windows = 0;
};

TEST(StartupProgram, RunsInOrderAndClosingTheMainWindowExitsWithZero)
{
    setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
    ASSERT_TRUE(OpenWindows().empty());
    ApplicationTesting::Reset();
    Seen seen;
    // Runs from the event loop, once start-up is done.
    QTimer::singleShot(100, qApp, [&seen] {
        seen.classes = ClassRecords();
        auto app = App::Instance();
        seen.appRegistered = app && app->MenuBar() == MenuBar1::Instance();
        seen.handlersBound = app && app->HasMenuHandler("HelpAboutQuibZerevarove") && app->HasMenuHandler("HelpHelp");
        auto main = _GetImplicitWindow(Window1::kClassName);
        seen.mainOpen = main != nullptr;
        seen.soundsCached = CachedSoundItem(0) && CachedSoundItem(93);
        seen.windows = OpenWindows().size();
        if (main) main->priv().frame->close();
    });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });

    static char name[] = "quib-zerevarove";
    char* argv[] = {name, nullptr};
    const int32_t status = RunProgram(1, argv);

    EXPECT_EQ(status, 0);
    const std::vector<std::string> own{"App",       "Window1",     "Window1.t",   "MenuBar1",
                                       "Translate", "AboutWindow", "Preferences", "winHelp"};
    ASSERT_GE(seen.classes.size(), own.size());
    EXPECT_EQ(std::vector<std::string>(seen.classes.end() - static_cast<long>(own.size()), seen.classes.end()), own)
        << "the program's own classes come last, in this order";
    EXPECT_EQ(seen.classes.front(), "Object") << "the framework's classes come first";
    EXPECT_TRUE(seen.appRegistered);
    EXPECT_TRUE(seen.handlersBound);
    EXPECT_TRUE(seen.mainOpen);
    EXPECT_TRUE(seen.soundsCached) << "the main window's Open built the sound bank";
    EXPECT_EQ(seen.windows, 1u);

    // Finalisation released the caches, the lists and the application object.
    EXPECT_EQ(CachedSoundItem(0), nullptr);
    EXPECT_EQ(CachedSoundItem(94), nullptr) << "silence";
    for (int32_t n = 0; n < 4; ++n) EXPECT_EQ(CachedPictureItem(n), nullptr) << n;
    EXPECT_TRUE(ClassRecords().empty());
    EXPECT_TRUE(OpenWindows().empty());
    EXPECT_EQ(_GetAppObject(), nullptr);

    // The toolkit is back for whatever runs after this test.
    static int argc = 1;
    static char* args[] = {name, nullptr};
    ASSERT_TRUE(RuntimeInit(argc, args));
    ApplicationTesting::Reset();
}

} // namespace
