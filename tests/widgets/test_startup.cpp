// Start-up, the event loop and the ways it ends; window construction and the
// implicit instances, control lookup and key delivery that start-up relies on.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "app/App.h"
#include "core/Window1.h"
#include "framework/Controls_p.h"
#include "framework/Window_p.h"

namespace {

namespace fs = std::filesystem;

fs::path prefsFile() { return fs::path(std::getenv("XDG_CONFIG_HOME")) / "QuibZerevarovePrefs.plist"; }

std::vector<std::string>& journal()
{
    static std::vector<std::string> j;
    return j;
}

// A window that writes down its construction hooks and events.
class ProbeWindow : public Window {
public:
    static constexpr const char* kClassName = "StartupTest.ProbeWindow";
    std::string className = kClassName, tag = "probe";
    std::vector<std::string> keys;

    std::string ClassName() const override { return className; }
    std::string found() const { return _GetImplicitWindow(className).get() == this ? " found" : " not found"; }
    void Layout() override { journal().push_back(tag + " Layout"); }
    void CreateControls() override
    {
        journal().push_back(tag + " CreateControls");
        auto field = __New<EditField>();
        field->Constructor();
        _AddControl("Field", field);
        auto self = std::static_pointer_cast<ProbeWindow>(shared_from_this());
        _InstallInstanceEventHandler(RuntimeWindowControlByName(self, "Field"), "KeyDown",
                                     RuntimeCreateDelegate(&ProbeWindow::Field_KeyDown, self, "( String ) as Boolean"));
    }
    void AddMenuHandlers(const Ref<Window>& w) override
    {
        journal().push_back(tag + " AddMenuHandlers" + (w.get() == this ? "" : " (another window)"));
    }
    void Event_Open() override { journal().push_back(tag + " Open" + found()); }
    void Event_Close() override
    {
        journal().push_back(tag + " Close" + found() + (_GetImplicitWindow(Window1::kClassName) ? " main open" : ""));
    }
    bool Field_KeyDown(String key)
    {
        if (key == String("!")) throw NilObjectException("probe");
        keys.push_back(std::to_string(Len(key)) + ":" + std::to_string(Asc(key)));
        return key == String("x");
    }
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        ASSERT_TRUE(OpenWindows().empty()) << "a window is still open";
        fs::remove(prefsFile());
        journal().clear();
        ApplicationTesting::Reset();
    }
    void TearDown() override
    {
        for (const auto& w : OpenWindows()) w->Close();
        pumpEvents(10);
        ApplicationTesting::Reset();
    }

    // Runs the event loop with step() called from inside it; gives up with 99 after 5 s.
    int32_t runLoop(const std::function<void()>& step)
    {
        QTimer::singleShot(50, qApp, step);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(5000);
        return _RuntimeRun();
    }
    static Ref<EditField> fieldOf(const Ref<Window>& w)
    {
        auto field = RuntimeCheckCast<EditField>(RuntimeWindowControlByName(w, "Field"));
        EXPECT_NE(field, nullptr);
        return field;
    }
};

TEST_F(StartupTest, MenuHandlersAreBoundBeforeTheMainWindowExists)
{
    _NewAppInstance();
    auto app = App::Instance();
    ASSERT_NE(app, nullptr);
    EXPECT_NE(app->MenuBar(), nullptr);
    EXPECT_FALSE(app->HasMenuHandler("HelpHelp"));
    _ApplicationAddMenuHandlers();
    EXPECT_TRUE(app->HasMenuHandler("HelpAboutQuibZerevarove") && app->HasMenuHandler("HelpHelp"));
    EXPECT_TRUE(OpenWindows().empty());
    _MakeDefaultView();
    EXPECT_NE(_GetImplicitWindow(Window1::kClassName), nullptr);
    EXPECT_EQ(OpenWindows().size(), 1u);
}

TEST_F(StartupTest, ClosingTheMainWindowEndsTheLoopWithStatusZero)
{
    _MakeDefaultView();
    auto main = _GetImplicitWindow(Window1::kClassName);
    ASSERT_NE(main, nullptr);
    // As a window manager would: the frame is asked to close.
    EXPECT_EQ(runLoop([main] { main->priv().frame->close(); }), 0);
    EXPECT_TRUE(IsQuitting());
    EXPECT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr);
    EXPECT_TRUE(fs::exists(prefsFile())) << "the Close event writes the geometry before quitting";
}

// Quit closes every window, newest first and the main window last, so its
// Close event runs; the main window's own Quit(0) from there changes nothing.
TEST_F(StartupTest, QuitClosesTheWindowsFirstAndIgnoresRepeats)
{
    _MakeDefaultView();
    for (const char* tag : {"first", "second"}) {
        auto probe = std::make_shared<ProbeWindow>();
        probe->tag = tag;
        probe->className += tag;
        probe->Construct();
    }
    journal().clear();

    EXPECT_EQ(runLoop([] { Quit(3); }), 3);
    EXPECT_EQ(journal(), (std::vector<std::string>{"second Close found main open", "first Close found main open"}));
    EXPECT_TRUE(OpenWindows().empty());
    EXPECT_TRUE(fs::exists(prefsFile())) << "the main window's Close event ran";
    Quit(5);
    EXPECT_EQ(_RuntimeRun(), 3) << "a second Quit neither restarts the loop nor changes the status";
}

// A quit asked for before the loop runs ends it at once and leaves modal loops
// in between working; a loop ended otherwise gives its own code.
TEST_F(StartupTest, LoopStatusWithoutTheMainWindow)
{
    EXPECT_EQ(runLoop([] { QCoreApplication::exit(7); }), 7);
    EXPECT_FALSE(IsQuitting());
    Quit(4);
    QEventLoop modal;
    QTimer::singleShot(10, &modal, [&] { modal.exit(7); });
    EXPECT_EQ(modal.exec(), 7);
    EXPECT_EQ(_RuntimeRun(), 4);
}

// An exception that no handler catches is reported and the loop goes on.
TEST_F(StartupTest, UncaughtExceptionIsReportedAndTheLoopGoesOn)
{
    ExceptionRecorder recorder;
    QWidget* field = fieldOf(ImplicitInstance<ProbeWindow>())->priv().widget;
    EXPECT_EQ(runLoop([&] {
                  QKeyEvent bang(QEvent::KeyPress, Qt::Key_Exclam, Qt::NoModifier, "!");
                  QCoreApplication::sendEvent(field, &bang);
                  QTimer::singleShot(20, qApp, [] { Quit(0); });
              }),
              0);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_NE(recorder.reports[0].find("NilObjectException"), std::string::npos) << recorder.reports[0];
}

TEST_F(StartupTest, WindowConstructionOrderAndImplicitInstance)
{
    auto w = ImplicitInstance<ProbeWindow>();
    EXPECT_EQ(ImplicitInstance<ProbeWindow>(), w) << "naming an open window builds nothing";
    w->Close();
    w->Close();
    EXPECT_EQ(journal(), (std::vector<std::string>{"probe Layout", "probe CreateControls", "probe AddMenuHandlers",
                                                   "probe Open found", "probe Close found"}));
    EXPECT_EQ(_GetImplicitWindow(ProbeWindow::kClassName), nullptr);
    auto again = ImplicitInstance<ProbeWindow>();
    EXPECT_NE(again, w) << "a closed window is built anew";
    EXPECT_TRUE(again->IsOpen());

    EXPECT_NE(fieldOf(again), nullptr);
    for (const auto& [owner, name] : {std::pair{again, "field"}, {again, "Missing"}, {Ref<ProbeWindow>(), "Field"}})
        EXPECT_EQ(RuntimeWindowControlByName(owner, name), nullptr) << name;
    EXPECT_THROW(_InstallInstanceEventHandler(nullptr, "KeyDown", Delegate()), NilObjectException);
}

// Each key reaches KeyDown as a one-character string; True keeps it out of the text.
TEST_F(StartupTest, KeyDownDeliversOneCharacterAndTrueConsumes)
{
    auto w = ImplicitInstance<ProbeWindow>();
    auto field = fieldOf(w);
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
        std::string delivered; // length:code
        const char* textAfter;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "\r", "1:13", "\n"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", "1:3", "\n\n"},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", "1:27", "\n\n"},
        {Qt::Key_C, Qt::ControlModifier, "\x03", "1:99", "\n\n"}, // Ctrl+C is no Enter
        {Qt::Key_X, Qt::NoModifier, "x", "1:120", "\n\n"},         // consumed
        {Qt::Key_Y, Qt::NoModifier, "y", "1:121", "\n\ny"},
        {Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(U"\U0001F600", 1), "1:128512", "\n\ny\U0001F600"},
    };
    for (const auto& c : cases) {
        w->keys.clear();
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods, c.text);
        QCoreApplication::sendEvent(field->priv().widget, &e);
        EXPECT_EQ(w->keys, std::vector<std::string>{c.delivered}) << c.delivered;
        EXPECT_EQ(field->Text().ToUtf8(), String(c.textAfter).ToUtf8()) << c.delivered;
    }
}

// Selection positions count code points and are kept inside the text.
TEST_F(StartupTest, SelectionIsClampedToTheText)
{
    auto w = ImplicitInstance<ProbeWindow>();
    auto field = fieldOf(w);
    field->SetText(String("a\U0001F600b"));
    const struct {
        int32_t start, length, selStart, selLength;
        std::u32string selected;
    } cases[] = {
        {1, 1, 1, 1, U"\U0001F600"}, {2, 99, 2, 1, U"b"}, {99, 1, 3, 0, U""}, {-5, 1, 0, 1, U"a"}, {1, -3, 1, 0, U""},
    };
    for (const auto& c : cases) {
        field->SetSelStart(c.start);
        field->SetSelLength(c.length);
        EXPECT_EQ(std::pair(field->SelStart(), field->SelLength()), std::pair(c.selStart, c.selLength))
            << c.start << "," << c.length;
        EXPECT_EQ(field->SelText(), String(c.selected)) << c.start << "," << c.length;
        field->Refresh(true);
    }
}

} // namespace
