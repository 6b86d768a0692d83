#include "framework/Application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QUrl>

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

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

// Before the toolkit stands, its own failure to reach a display is fatal and
// would abort with a core dump; say it in one line and leave cleanly instead.
void startupMessages(QtMsgType type, const QMessageLogContext&, const QString&)
{
    if (type == QtFatalMsg) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "quib-zerevarove: cannot open a display (DISPLAY=%s); a graphical session is needed\n",
                     display && *display ? display : "unset");
        std::fflush(stderr);
        std::_Exit(1);
    }
}

// Termination requests (logout, kill, Ctrl+C) quit as the Quit command does, so
// the windows close and save. The handler only writes the signal to a pipe that
// the event loop watches.
constexpr int quitSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_signalPipe[2] = {-1, -1};
QSocketNotifier* g_signalNotifier = nullptr;

void onQuitSignal(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    (void)!::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

void watchQuitSignals()
{
    if (g_signalNotifier || ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(g_signalNotifier, &QSocketNotifier::activated, [] {
        unsigned char signal = 0;
        while (::read(g_signalPipe[0], &signal, 1) == 1) Quit(0);
    });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : quitSignals) {
        struct sigaction old {};
        // A signal ignored from the start (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) ::sigaction(signal, &action, nullptr);
    }
}

void unwatchQuitSignals()
{
    if (!g_signalNotifier) return;
    for (const int signal : quitSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == onQuitSignal) std::signal(signal, SIG_DFL);
    }
    delete g_signalNotifier;
    g_signalNotifier = nullptr;
    for (int& fd : g_signalPipe) {
        ::close(fd);
        fd = -1;
    }
}

// The toolkit ends the process with exit() when the display connection breaks,
// after saying so in one line, from inside the loop or a start-up message box.
// Static destructors would then tear the windows down after the toolkit's own
// statics and crash; leave at once instead, with the toolkit's status.
// Once it stands, the toolkit reports a lost display and then calls exit(),
// whose teardown races the threads still running and may print more; the
// report is the one line wanted, so leave right after it.
void runningMessages(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, msg)));
    if (type == QtFatalMsg) std::abort();
    if (msg.startsWith(QLatin1String("The X11 connection broke"))) {
        std::fflush(stderr);
        std::_Exit(1);
    }
}

// Registered once the toolkit stands and again when the loop starts, it runs
// before the destructors of everything built until then.
void leaveWithoutTeardown()
{
    if (!g_qapp) return;
    std::fflush(nullptr);
    std::_Exit(1);
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
    // Windows place themselves (saved position, moving by drag), which needs X11; on
    // a Wayland session that means XWayland unless the user chose otherwise.
    if (!std::getenv("QT_QPA_PLATFORM") || !*std::getenv("QT_QPA_PLATFORM")) {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            std::fprintf(stderr, "quib-zerevarove: cannot open a display (DISPLAY is not set); a graphical "
                                 "session is needed\n");
            return false;
        }
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    qInstallMessageHandler(startupMessages);
    {
        // The font configuration takes milliseconds to read, which the toolkit
        // would spend when the first text is laid out; read beside the
        // toolkit's own start (the display, its plug-ins), it costs no time.
        // Nothing changes the environment meanwhile.
        std::jthread fonts([] { FcInit(); });
        g_qapp = new QApplication(argc, argv);
    }
    qInstallMessageHandler(runningMessages);
    QApplication::setQuitOnLastWindowClosed(false);
    (void)OpenWindows(); // built now, so the check below runs before its destructor
    std::atexit(leaveWithoutTeardown);
    watchQuitSignals();
    g_quitting = false;
    g_quitRequested = false;
    g_exitCode = 0;
    return true;
}

void _RuntimeRegisterAppObject(const Ref<Application>& app) { g_app = app; }
Ref<Application> _GetAppObject() { return g_app; }

int32_t _RuntimeRun()
{
    if (!g_qapp) return 1;
    if (g_quitRequested) return g_exitCode;
    static const bool leaveRegistered = std::atexit(leaveWithoutTeardown) == 0;
    (void)leaveRegistered;
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

void ApplicationTesting::Reset()
{
    g_quitting = false;
    g_quitRequested = false;
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
    const std::string text = std::string("An exception of class ") + e.what() + " was not handled.";
    std::fprintf(stderr, "quib-zerevarove: %s\n", text.c_str());
    if (g_exceptionSink) {
        g_exceptionSink(text);
        return;
    }
    if (g_qapp && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        static bool showing = false;
        if (showing) return; // one box at a time, even if painting keeps failing
        showing = true;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Quib Zerevarove"), QString::fromStdString(text));
        box.exec();
        showing = false;
    }
}

void ShowURL(const String& address)
{
    if (g_urlOpener) {
        g_urlOpener(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(toQString(address)));
}

UrlOpener SetUrlOpener(UrlOpener opener)
{
    std::swap(opener, g_urlOpener);
    return opener;
}
