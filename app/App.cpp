#include "app/App.h"

#include "about/AboutWindow.h"
#include "about/Pictures.h"
#include "about/winHelp.h"
#include "app/MenuBar1.h"
#include "core/SoundBank.h"
#include "core/Window1.h"
#include "framework/ClassRegistry.h"
#include "framework/Sound.h"

Ref<App> App::Instance() { return RuntimeCheckCast<App>(_GetAppObject()); }

bool App::_HelpAboutQuibZerevarove_Action()
{
    NilCheck(AboutWindow::Instance(), "AboutWindow")->Show(true);
    return true;
}

bool App::_HelpHelp_Action()
{
    NilCheck(winHelp::Instance(), "winHelp")->Show();
    return true;
}

void _InitFileTypes() {}

void _NewAppInstance()
{
    auto app = NilCheck(std::make_shared<App>(), "App");
    app->SetMenuBar(MenuBar1::Instance());
    _RuntimeRegisterAppObject(app);
}

void _ApplicationAddMenuHandlers()
{
    struct Binding {
        const char* item;
        bool (App::*handler)();
    };
    for (const auto& b : {Binding{"HelpAboutQuibZerevarove", &App::_HelpAboutQuibZerevarove_Action},
                          Binding{"HelpHelp", &App::_HelpHelp_Action}}) {
        auto receiver = NilCheck(App::Instance(), "App");
        auto target = NilCheck(App::Instance(), "App");
        receiver->_AddMenuHandler(b.item, RuntimeCreateDelegate(b.handler, target, "(  ) as Boolean"));
    }
}

void _MakeDefaultView() { NilCheck(Window1::Instance(), "Window1"); }

void _Main()
{
    _RuntimeInitExternalClasses();
    _InitPluginEntrypoints();
    _InitFileTypes();
    try {
        _NewAppInstance();
        _ApplicationAddMenuHandlers();
        _MakeDefaultView();
    } catch (const std::exception& e) {
        // Reported like any uncaught exception; the program goes on with what stands.
        _UnhandledException(e);
    }
    if (OpenWindows().empty()) {
        // Nothing the user could reach or close: end, and say it failed.
        Quit(1);
        return;
    }
    // The sound device opens beside the loop, once the main window stands:
    // loading SDL while the window is built would slow the window down, and
    // nothing plays before the loop runs.
    AudioInitInBackground();
    _RuntimeRun();
}

void FinaliseProgram()
{
    ReleaseSoundItems();
    ReleasePictureItems();
    ReleaseFrameworkLists();
    MenuBar1::Release();
}

int32_t RunProgram(int argc, char** argv)
{
    if (!RuntimeInit(argc, argv)) return 1;
    RegisterFrameworkClasses();
    for (const char* name : {"App", "Window1", "Window1.t", "MenuBar1", "Translate", "AboutWindow", "Preferences",
                             "winHelp"})
        RegisterClassRecord(name);
    _Main();
    FinaliseProgram();
    AudioQuit();
    return RuntimeExit();
}
