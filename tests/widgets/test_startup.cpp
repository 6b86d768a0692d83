// The whole program in this process: start-up in order, the loop, closing
// the main window, finalisation and the exit status.
#include <gtest/gtest.h>

#include <QTimer>

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

TEST(Startup, RunsInOrderAndClosingTheMainWindowExitsWithZero)
{
    ASSERT_TRUE(startWithoutMainWindow());
    ASSERT_TRUE(OpenWindows().empty());
    std::vector<std::string> classes;
    bool ready = false;
    // Runs from the event loop, once start-up is done.
    QTimer::singleShot(100, qApp, [&] {
        classes = ClassRecords();
        auto app = App::Instance();
        auto main = _GetImplicitWindow(Window1::kClassName);
        ready = app && app->MenuBar() == MenuBar1::Instance() && app->HasMenuHandler("HelpAboutQuibZerevarove") &&
                app->HasMenuHandler("HelpHelp") && main && CachedSoundItem(0) && CachedSoundItem(93) &&
                OpenWindows().size() == 1;
        if (main) main->priv().frame->close();
    });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });

    static char name[] = "quib-zerevarove";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    EXPECT_EQ(RunProgram(argc, argv), 0);
    EXPECT_TRUE(ready) << "the bar, its handlers, the main window alone and its sound bank";
    const std::vector<std::string> own{"App",       "Window1",     "Window1.t",   "MenuBar1",
                                       "Translate", "AboutWindow", "Preferences", "winHelp"};
    ASSERT_GE(classes.size(), own.size());
    EXPECT_EQ(std::vector<std::string>(classes.end() - static_cast<long>(own.size()), classes.end()), own)
        << "the program's own classes come last, in this order";

    // Finalisation released the caches, the lists and the application object.
    EXPECT_EQ(CachedSoundItem(0), nullptr);
    EXPECT_EQ(CachedSoundItem(94), nullptr) << "silence";
    for (int32_t n = 0; n < 4; ++n) EXPECT_EQ(CachedPictureItem(n), nullptr) << n;
    EXPECT_TRUE(ClassRecords().empty() && OpenWindows().empty());
    EXPECT_EQ(_GetAppObject(), nullptr);
    // The toolkit is back for whatever runs after this test.
    ASSERT_TRUE(RuntimeInit(argc, argv));
    ApplicationTesting::Reset();
}

} // namespace
