#pragma once
// The menu bar: File, Edit and Help.
#include "framework/Menu.h"

class MenuBar1 : public MenuBar {
public:
    // The one instance, built on first use.
    static Ref<MenuBar1> Instance();
    // Releases the instance at shut-down.
    static void Release();

    void Constructor();
    void Untitled0();
    void Untitled1();
    void Untitled2();
};
