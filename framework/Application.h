#pragma once
// The application object, the event loop, quitting and the handler of last resort.
#include <cstdint>
#include <functional>
#include <map>

#include "framework/Delegate.h"
#include "framework/Menu.h"

class Application : public Object {
public:
    // Set by the build from the project's version.
    int32_t MajorVersion = QZ_MAJOR_VERSION;
    int32_t MinorVersion = QZ_MINOR_VERSION;
    int32_t BugVersion = QZ_BUG_VERSION;
    int32_t StageCode = QZ_STAGE_CODE;
    int32_t NonReleaseVersion = QZ_NON_RELEASE_VERSION;

    void SetMenuBar(const Ref<::MenuBar>& bar) { m_menuBar = bar; }
    Ref<::MenuBar> MenuBar() const { return m_menuBar; }

    // Binds a menu item by name; the handler's signature must be "(  ) as Boolean".
    bool _AddMenuHandler(const String& itemName, const Delegate& handler);
    // Runs the handler bound to the item; False when none is bound or it did not handle it.
    bool HandleMenuItem(const String& itemName);
    bool HasMenuHandler(const String& itemName) const { return m_handlers.count(itemName) > 0; }

private:
    Ref<::MenuBar> m_menuBar;
    std::map<String, Delegate> m_handlers;
};

// The program's name as the user reads it: the title of its message boxes.
inline constexpr char kProgramTitle[] = "Quib Zerevarove";

// Starts the toolkit. False (after one line on standard error) when no display can be opened;
// a toolkit that cannot start ends the process after one line on standard error.
bool RuntimeInit(int& argc, char** argv);
void _RuntimeRegisterAppObject(const Ref<Application>& app);
Ref<Application> _GetAppObject();
// Runs the event loop until Quit; returns the quit code.
int32_t _RuntimeRun();
// Closes every open window (each runs its Close event), then ends the loop.
// Harmless when called again while quitting.
void Quit(int32_t code = 0);
bool IsQuitting();
// True once a termination signal started the quit: nobody may be there to answer a message box.
bool IsQuittingOnSignal();

namespace ApplicationTesting {
// Forgets a finished quit, so one test process can run the loop again.
void Reset();
} // namespace ApplicationTesting

// Shuts the toolkit down; returns the process result.
int32_t RuntimeExit();

// Reports an exception that no one caught (standard error and, when it can be shown, a message
// box); the loop goes on. Never throws.
void _UnhandledException(const std::exception& e);
// Lets tests see reports instead of a message box.
using UnhandledExceptionSink = std::function<void(const std::string&)>;
UnhandledExceptionSink SetUnhandledExceptionSink(UnhandledExceptionSink sink);

// Opens a web address in the user's browser, which gets the environment the program was started
// with; replaceable in tests.
using UrlOpener = std::function<void(const String&)>;
void ShowURL(const String& address);
UrlOpener SetUrlOpener(UrlOpener opener);
