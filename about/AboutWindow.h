#pragma once
// The About window: icon, name, version line, copyright notice, credits and badge.
#include "framework/Window.h"

class AboutWindow : public Window {
public:
    static constexpr const char* kClassName = "AboutWindow.AboutWindow";
    std::string ClassName() const override { return kClassName; }

    // The implicit instance: the open About window, or a new one.
    static Ref<AboutWindow> Instance();

    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();
    void AppIconCanvas_Paint(::Graphics& g);
    void StatAppName_Open();
    void StatAppVersion_Open();
    void EditAppCredits_Open();
    void StatAppCopyright_Open();
    bool KvIconCanvas_MouseDown(int32_t x, int32_t y);
    void KvIconCanvas_Paint(::Graphics& g);
    void AddMenuHandlers(const Ref<Window>& w) override;

    // Fills the window, with or without the credits field, and brings it to the front.
    void Show(bool withCredits);
    using Window::Show;

private:
    void SetCreditsFieldText(const String& text, bool parseMarkup);
    void SetupWindow();
    String VersionString();

    bool UseCredits = false;
};
