#pragma once
// The main window: a small dark box holding the text field and the
// translation thread.
#include <vector>

#include "framework/Random.h"
#include "framework/Sound.h"
#include "framework/Window.h"

class EditField;
class Translate;

class Window1 : public Window {
public:
    static constexpr const char* kClassName = "Window1.Window1";
    std::string ClassName() const override { return kClassName; }

    Window1();
    ~Window1() override;

    // The implicit instance: the open main window, or a new one.
    static Ref<Window1> Instance();

    // Sounds by character code minus 33.
    std::vector<Ref<Sound>> beeps;
    Ref<Random> r;

    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();
    bool EditField1_KeyDown(String key);
    void AddMenuHandlers(const Ref<Window>& w) override;
    void Event_Open() override;
    bool Event_MouseDown(int32_t x, int32_t y) override;
    void Event_MouseDrag(int32_t x, int32_t y) override;
    void Event_MouseMove(int32_t x, int32_t y) override;
    bool Event_ConstructContextualMenu(const Ref<MenuItem>& base, int32_t x, int32_t y) override;
    bool Event_ContextualMenuAction(const Ref<MenuItem>& item) override;
    void Event_Close() override;
    void Event_Paint(::Graphics& g) override;
    void Event_Resizing() override;
    void Event_Resized() override;
    void LoadSounds();
    void DoTranslate();
    void StopTranslation();
    bool IsInLowerRightCorner(int32_t x, int32_t y);
    void ResizeWindow(int32_t dx, int32_t dy);
    void ReadPrefs();
    void WritePrefs();
    void Draw(::Graphics& g);

    // The two named controls, looked up afresh at each use.
    Ref<EditField> EditField1() const;
    Ref<Translate> t() const;

    // Read-only views of the move and resize state, for tests.
    int32_t mouseX() const { return MouseX; }
    int32_t mouseY() const { return MouseY; }
    int32_t left0() const { return mLeft; }
    int32_t top0() const { return mTop; }
    bool resizing() const { return mResizing; }

private:
    int32_t MouseX = 0;
    int32_t MouseY = 0;
    bool mResizing = false;
    int32_t mLeft = 0;
    int32_t mTop = 0;
};
