#pragma once
// Windows: declared by layout records, built by Construct (the window
// constructor), one implicit instance per class name while open.
#include <memory>
#include <string>
#include <vector>

#include "framework/Control.h"
#include "framework/Graphics.h"
#include "framework/Menu.h"

enum class MouseCursor { Arrow, ArrowNorthwestSoutheast };
inline constexpr MouseCursor ArrowCursor = MouseCursor::Arrow;
inline constexpr MouseCursor ArrowNorthwestSoutheast = MouseCursor::ArrowNorthwestSoutheast;

class RectControl;
struct WindowPrivate;

class Window : public Reflectable {
public:
    Window();
    ~Window() override;

    // The window constructor: Layout, CreateControls, AddMenuHandlers, then the
    // window is findable as its class's implicit instance and Open runs.
    void Construct();

    // "Module.Class", the key of the implicit instance.
    std::string ClassName() const override = 0;
    const PropertyTable& Properties() const override;
    static const PropertyTable& WindowProperties();

    // Geometry of the content area in screen pixels.
    int32_t Left() const;
    int32_t Top() const;
    int32_t Width() const;
    int32_t Height() const;
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    int32_t MinWidth = 64, MinHeight = 64, MaxWidth = 32000, MaxHeight = 32000;

    String Title() const;
    void SetTitle(const String& t);
    bool Visible() const;
    void SetVisible(bool v);

    void Show();
    void Close();
    bool IsOpen() const;
    void SetMouseCursor(MouseCursor c);
    MouseCursor CurrentMouseCursor() const;
    // True while a mouse-down event is a contextual click (secondary button or Ctrl-click).
    bool IsContextualClick() const;
    // A drawing surface over the window's content; painted at once, shown on the next frame.
    std::unique_ptr<::Graphics> Graphics();
    void Refresh();

    // Controls owned by the window.
    template <class T>
    Ref<T> __New()
    {
        auto c = std::make_shared<T>();
        c->setOwner(std::static_pointer_cast<Window>(shared_from_this()));
        return c;
    }
    void _AddControl(const String& name, const Ref<Control>& control);
    Ref<Control> ControlByName(const String& name) const;
    const std::vector<Ref<Control>>& Controls() const;

    WindowPrivate& priv() const { return *m_priv; }

    // Construction hooks and events; the defaults do nothing and handle nothing.
    virtual void Layout() {}
    virtual void CreateControls() {}
    virtual void AddMenuHandlers(const Ref<Window>&) {}
    virtual void Event_Open() {}
    virtual void Event_Close() {}
    virtual void Event_Paint(::Graphics&) {}
    virtual bool Event_MouseDown(int32_t, int32_t) { return false; }
    virtual void Event_MouseDrag(int32_t, int32_t) {}
    virtual void Event_MouseMove(int32_t, int32_t) {}
    virtual void Event_Resizing() {}
    virtual void Event_Resized() {}
    virtual bool Event_ConstructContextualMenu(const Ref<MenuItem>&, int32_t, int32_t) { return false; }
    virtual bool Event_ContextualMenuAction(const Ref<MenuItem>&) { return false; }

private:
    std::unique_ptr<WindowPrivate> m_priv;
};

Ref<Control> RuntimeWindowControlByName(const Ref<Window>& window, const String& name);

// The open window registered under the class name, else nil.
Ref<Window> _GetImplicitWindow(const std::string& className);
// Every open window, oldest first.
std::vector<Ref<Window>> OpenWindows();

// The implicit instance of a window class W: the open one, or a new one built now.
template <class W>
Ref<W> ImplicitInstance()
{
    if (auto open = _GetImplicitWindow(W::kClassName)) return RuntimeCheckCast<W>(open);
    auto w = std::make_shared<W>();
    w->Construct();
    return w;
}
