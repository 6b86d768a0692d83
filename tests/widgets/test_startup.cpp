// The whole program in this process: start-up in order, the loop and the ways
// it ends, finalisation, and what happens to an exception no handler catches.
#include <gtest/gtest.h>

#include <QKeyEvent>
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
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

// A window that writes down its closing and throws from its field's KeyDown.
class ProbeWindow : public Window {
public:
    std::string tag;
    std::vector<std::string>* journal = nullptr;
    std::string ClassName() const override { return "StartupTest.Probe" + tag; }
    void CreateControls() override
    {
        auto field = __New<EditField>();
        field->Constructor();
        _AddControl("Field", field);
        auto self = std::static_pointer_cast<ProbeWindow>(shared_from_this());
        _InstallInstanceEventHandler(field, "KeyDown", RuntimeCreateDelegate(&ProbeWindow::Field_KeyDown, self, "( String ) as Boolean"));
    }
    void Event_Close() override
    {
        journal->push_back(tag + (_GetImplicitWindow(Window1::kClassName) ? " closed, main open" : " closed"));
    }
    bool Field_KeyDown(String) { throw NilObjectException("probe"); }
};

// Runs the event loop with step() called from inside it; gives up with 99 after 5 s.
int32_t runLoop(const std::function<void()>& step)
{
    QTimer::singleShot(100, qApp, step);
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
    return _RuntimeRun();
}

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

// Quit closes every window, newest first and the main window last; an
// exception from an event handler is reported and the loop goes on.
TEST(Startup, QuitClosesTheWindowsInOrderAfterAnUncaughtException)
{
    ASSERT_TRUE(startWithoutMainWindow());
    _MakeDefaultView();
    std::vector<std::string> journal;
    std::vector<Ref<ProbeWindow>> probes;
    for (const char* tag : {"first", "second"}) {
        probes.push_back(std::make_shared<ProbeWindow>());
        probes.back()->tag = tag;
        probes.back()->journal = &journal;
        probes.back()->Construct();
    }
    ExceptionRecorder recorder;
    QWidget* field = RuntimeCheckCast<EditField>(probes[0]->ControlByName("Field"))->priv().widget;
    EXPECT_EQ(runLoop([&] {
                  QKeyEvent bang(QEvent::KeyPress, Qt::Key_Exclam, Qt::NoModifier, "!");
                  QCoreApplication::sendEvent(field, &bang);
                  QTimer::singleShot(20, qApp, [] { Quit(3); });
              }),
              3);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_NE(recorder.reports[0].find("NilObjectException"), std::string::npos) << recorder.reports[0];
    EXPECT_EQ(journal, (std::vector<std::string>{"second closed, main open", "first closed, main open"}));
    EXPECT_TRUE(OpenWindows().empty());
    Quit(5);
    EXPECT_EQ(_RuntimeRun(), 3) << "a second Quit neither restarts the loop nor changes the status";
    ApplicationTesting::Reset();
}

} // namespace
