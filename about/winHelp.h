#pragma once
// The Help window: "Help is not available" and an OK button that closes it.
#include "framework/Window.h"

class winHelp : public Window {
public:
    static constexpr const char* kClassName = "winHelp.winHelp";
    std::string ClassName() const override { return kClassName; }

    // The implicit instance: the open Help window, or a new one.
    static Ref<winHelp> Instance();

    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();
    void PushButton1_Action();
    void AddMenuHandlers(const Ref<Window>& w) override;
};
