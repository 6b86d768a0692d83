#pragma once
// The application object and the program's start-up and shut-down.
#include "framework/Application.h"

class App : public Application {
public:
    // The registered application object.
    static Ref<App> Instance();

    bool _HelpAboutQuibZerevarove_Action();
    bool _HelpHelp_Action();
};

// The whole program: start-up, the event loop, shut-down; returns the exit status.
int32_t RunProgram(int argc, char** argv);

// The steps of start-up, in the order RunProgram calls them.
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();
void _MakeDefaultView();
void _Main();
// Releases the program-wide caches and the menu bar, in shut-down order.
void FinaliseProgram();
