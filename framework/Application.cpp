#include "framework/Application.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "framework/Audio_p.h"
#include "framework/Controls_p.h"
#include "framework/Window.h"

namespace {

Ref<Application> g_app;
QApplication* g_qapp = nullptr;
bool g_quitting = false;
bool g_quitRequested = false;
bool g_loopRunning = false;
int32_t g_exitCode = 0;
UnhandledExceptionSink g_exceptionSink;
UrlOpener g_urlOpener;

// Before the toolkit stands, its own failure to start is fatal and would
// abort with a core dump; say it in one line and leave cleanly instead. Its
// platform plug-in tells why (no display, no such plug-in) just before.
QString g_startFailure;

void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (type != QtFatalMsg) {
        const bool platform = context.category && std::strncmp(context.category, "qt.qpa", 6) == 0;
        if (platform && type != QtDebugMsg && type != QtInfoMsg && g_startFailure.isEmpty()) g_startFailure = msg;
        return;
    }
    const QString reason = g_startFailure.isEmpty() ? msg.trimmed().section(u'\n', 0, 0) : g_startFailure;
    std::fprintf(stderr, "quib-zerevarove: the toolkit could not start: %s\n", qPrintable(reason));
    std::fflush(stderr);
    std::_Exit(1);
}

// Windows place themselves (saved position, moving by drag), which needs X11;
// on a Wayland session that means XWayland unless the user chose otherwise.
// Chosen on the command line, not in the environment that children inherit.
bool platformChosen(int argc, char** argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) return true;
    return false;
}

// The toolkit keeps referring to the arguments it was started with.
int g_argc = 0;
std::vector<char*> g_argv;

// Variables the program put into its own environment, which the programs it
// starts must not inherit.
QStringList g_ownVariables;

// Termination requests (logout, kill, Ctrl+C) quit as the Quit command does, so
// the windows close and save. The handler only writes the signal to a pipe that
// the event loop watches. Nobody may be there to answer a message box then, and
// the process must end anyway: a second request, or a quit not done within a
// grace period, ends it by the signal's default action.
constexpr int quitSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr unsigned kGraceSeconds = 2;
int g_signalPipe[2] = {-1, -1};
QSocketNotifier* g_signalNotifier = nullptr;
bool g_watched[std::size(quitSignals)] = {};
volatile sig_atomic_t g_firstSignal = 0;
bool g_quittingOnSignal = false;

void onGraceOver(int) { ::raise(g_firstSignal); }

void onQuitSignal(int signal)
{
    const int saved = errno;
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = SIG_DFL;
    for (std::size_t i = 0; i < std::size(quitSignals); ++i)
        if (g_watched[i]) ::sigaction(quitSignals[i], &action, nullptr);
    g_firstSignal = signal;
    action.sa_handler = onGraceOver;
    ::sigaction(SIGALRM, &action, nullptr);
    ::alarm(kGraceSeconds);
    const auto byte = static_cast<unsigned char>(signal);
    (void)!::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

// A box the start-up or a save is waiting on would hold the quit.
void closeModalBoxes()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
}

void watchQuitSignals()
{
    if (g_signalNotifier || ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(g_signalNotifier, &QSocketNotifier::activated, [] {
        unsigned char signal = 0;
        bool signalled = false;
        while (::read(g_signalPipe[0], &signal, 1) == 1) signalled = true;
        if (!signalled) return;
        g_quittingOnSignal = true;
        closeModalBoxes();
        Quit(0);
    });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(quitSignals); ++i) {
        struct sigaction old {};
        // A signal ignored from the start (nohup) stays ignored.
        g_watched[i] = ::sigaction(quitSignals[i], nullptr, &old) == 0 && old.sa_handler != SIG_IGN &&
                       ::sigaction(quitSignals[i], &action, nullptr) == 0;
    }
}

void unwatchQuitSignals()
{
    if (!g_signalNotifier) return;
    for (std::size_t i = 0; i < std::size(quitSignals); ++i) {
        struct sigaction old {};
        if (g_watched[i] && ::sigaction(quitSignals[i], nullptr, &old) == 0 && old.sa_handler == onQuitSignal)
            std::signal(quitSignals[i], SIG_DFL);
        g_watched[i] = false;
    }
    delete g_signalNotifier;
    g_signalNotifier = nullptr;
    for (int& fd : g_signalPipe) {
        ::close(fd);
        fd = -1;
    }
}

// Once it stands, the toolkit reports a broken display connection in one line
// and then calls exit(), whose teardown races the threads still running, may
// print more, and would destroy the windows after the toolkit's own statics;
// the report is the one line wanted, so leave right after it.
void runningMessages(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, msg)));
    if (type == QtFatalMsg) std::abort();
    if (msg.startsWith(QLatin1String("The X11 connection broke"))) {
        std::fflush(stderr);
        std::_Exit(1);
    }
}

// Any other exit() while the toolkit stands would destroy the windows after
// statics of the toolkit that they still use; it ends here, with its status.
void leaveBeforeTeardown(int status, void*)
{
    if (!g_qapp) return;
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

bool Application::_AddMenuHandler(const String& itemName, const Delegate& handler)
{
    if (handler.IsNil() || handler.Signature() != SignatureText<bool()>()) {
        std::fprintf(stderr, "quib-zerevarove: menu handler for %s refused: signature '%s'\n",
                     itemName.ToUtf8().c_str(), handler.Signature().c_str());
        return false;
    }
    m_handlers[itemName] = handler;
    return true;
}

bool Application::HandleMenuItem(const String& itemName)
{
    const auto it = m_handlers.find(itemName);
    if (it == m_handlers.end()) return false;
    const Delegate handler = it->second; // the handler may rebind items
    try {
        return (*handler.As<bool()>())();
    } catch (const std::exception& e) {
        _UnhandledException(e);
        return true;
    }
}

bool RuntimeInit(int& argc, char** argv)
{
    if (g_qapp) return true;
    // Before any thread: the environment is not safe to change beside one.
    static const bool environmentSet = [] {
        if (const char* added = audio::setServerLatency()) g_ownVariables << QString::fromLatin1(added);
        return true;
    }();
    (void)environmentSet;
    g_argv.assign(argv, argv + argc);
    static char name[] = "quib-zerevarove";
    if (g_argv.empty()) g_argv.push_back(name); // the toolkit takes the first for the program's name
    if (!platformChosen(argc, argv)) {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            std::fprintf(stderr, "quib-zerevarove: cannot open a display (DISPLAY is not set); a graphical "
                                 "session is needed\n");
            return false;
        }
        static char option[] = "-platform";
        static char xcb[] = "xcb";
        g_argv.insert(g_argv.begin() + 1, {option, xcb});
    }
    g_argc = static_cast<int>(g_argv.size());
    g_argv.push_back(nullptr);
    g_startFailure.clear();
    qInstallMessageHandler(startupMessages);
    {
        // The font configuration takes milliseconds to read, which the toolkit
        // would spend when the first text is laid out; read beside the
        // toolkit's own start (the display, its plug-ins), it costs no time.
        // Nothing changes the environment meanwhile.
        std::jthread fonts([] { FcInit(); });
        g_qapp = new QApplication(g_argc, g_argv.data());
    }
    qInstallMessageHandler(runningMessages);
    QApplication::setQuitOnLastWindowClosed(false);
    (void)OpenWindows(); // built now, so that its destructor comes after the handler
    static const bool leaveRegistered = ::on_exit(leaveBeforeTeardown, nullptr) == 0;
    (void)leaveRegistered;
    watchQuitSignals();
    g_quitting = false;
    g_quitRequested = false;
    g_quittingOnSignal = false;
    g_exitCode = 0;
    return true;
}

void _RuntimeRegisterAppObject(const Ref<Application>& app) { g_app = app; }
Ref<Application> _GetAppObject() { return g_app; }

int32_t _RuntimeRun()
{
    if (!g_qapp) return 1;
    if (g_quitRequested) return g_exitCode;
    g_loopRunning = true;
    const int code = QApplication::exec();
    g_loopRunning = false;
    // A loop ended by anything but Quit still hands its code to the shut-down.
    if (!g_quitRequested) g_exitCode = code;
    return g_exitCode;
}

void Quit(int32_t code)
{
    if (g_quitting) return;
    g_quitting = true;
    g_quitRequested = true;
    g_exitCode = code;
    // Newest first, so the main window (the oldest) closes last.
    auto windows = OpenWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) (*it)->Close();
    // Outside the loop the request waits for _RuntimeRun; telling Qt now would
    // make every later modal loop return at once.
    if (g_loopRunning) QCoreApplication::exit(code);
}

bool IsQuitting() { return g_quitting; }

bool IsQuittingOnSignal() { return g_quittingOnSignal; }

void ApplicationTesting::Reset()
{
    g_quitting = false;
    g_quitRequested = false;
    g_quittingOnSignal = false;
    g_exitCode = 0;
}

int32_t RuntimeExit()
{
    for (const auto& w : OpenWindows()) w->Close();
    if (g_qapp) {
        // Let closed windows be released before the toolkit goes.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    g_app.reset();
    const int32_t result = g_exitCode;
    unwatchQuitSignals();
    delete g_qapp;
    g_qapp = nullptr;
    return result;
}

UnhandledExceptionSink SetUnhandledExceptionSink(UnhandledExceptionSink sink)
{
    std::swap(sink, g_exceptionSink);
    return sink;
}

void _UnhandledException(const std::exception& e)
{
    // Memory may be what ran out: the report comes first and allocates
    // nothing, and what cannot be shown after it is left at that.
    std::fprintf(stderr, "quib-zerevarove: An exception of class %s was not handled.\n", e.what());
    static bool showing = false;
    if (showing) return; // one box at a time, even if painting keeps failing
    showing = true;
    try {
        const QString text =
            QStringLiteral("An exception of class %1 was not handled.").arg(QString::fromUtf8(e.what()));
        if (g_exceptionSink) {
            g_exceptionSink(text.toStdString());
        } else if (g_qapp && !g_quittingOnSignal && QGuiApplication::platformName() != QLatin1String("offscreen")) {
            QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kProgramTitle), text);
            box.setTextInteractionFlags(Qt::TextSelectableByMouse);
            box.exec();
        }
    } catch (...) {
    }
    showing = false;
}

void ShowURL(const String& address)
{
    if (g_urlOpener) {
        g_urlOpener(address);
        return;
    }
    // As the toolkit would: the desktop's opener, else the user's browser.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : g_ownVariables) environment.remove(name);
    QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    for (const char* variable : {"DEFAULT_BROWSER", "BROWSER"}) {
        const QString named = environment.value(QLatin1String(variable));
        if (launcher.isEmpty() && !named.isEmpty()) launcher = QStandardPaths::findExecutable(named);
    }
    QProcess browser;
    browser.setProgram(launcher);
    browser.setArguments({toQString(address)});
    browser.setProcessEnvironment(environment);
    if (launcher.isEmpty() || !browser.startDetached())
        std::fprintf(stderr, "quib-zerevarove: no web browser could be started for %s\n", address.ToUtf8().c_str());
}

UrlOpener SetUrlOpener(UrlOpener opener)
{
    std::swap(opener, g_urlOpener);
    return opener;
}
