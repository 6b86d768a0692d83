#pragma once
// The About window: icon, name, version line, copyright notice, credits and badge.
#include "framework/Window.h"

class AboutWindow : public Window {
public:
    static constexpr const char* kClassName = "AboutWindow.AboutWindow";
    std::string ClassName() const override { return kClassName; }

    // The implicit instance: the open About window, or a new one.
    static Ref<AboutWindow> Instance();

    void Show(bool withCredits);
    using Window::Show;
};
