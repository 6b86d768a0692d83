#include "core/Window1.h"

#include "core/Translate.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "resources/Records.h"

Window1::Window1() = default;

Window1::~Window1()
{
    beeps.clear();
    r.reset();
}

Ref<Window1> Window1::Instance() { return NilCheck(ImplicitInstance<Window1>(), "Window1"); }

Ref<EditField> Window1::EditField1() const
{
    return RuntimeCheckCast<EditField>(ControlByName("EditField1"));
}

Ref<Translate> Window1::t() const { return RuntimeCheckCast<Translate>(ControlByName("t")); }

void Window1::Layout() { _SetProperties(*this, kWindow1Record); }

void Window1::CreateControls() { _CreateControls0(); }

void Window1::_CreateControls0()
{
    {
        auto field = __New<EditField>();
        field->Constructor();
        _AddControl("EditField1", field);
    }
    _SetProperties(*NilCheck(EditField1(), "EditField1"), kEditField1Record);
    {
        auto self = std::static_pointer_cast<Window1>(shared_from_this());
        auto handler = RuntimeCreateDelegate(&Window1::EditField1_KeyDown, self, "( String ) as Boolean");
        _InstallInstanceEventHandler(NilCheck(EditField1(), "EditField1"), "KeyDown", handler);
    }
    {
        auto thread = __New<Translate>();
        thread->Constructor();
        _AddControl("t", thread);
    }
    _SetProperties(*NilCheck(t(), "t"), kTRecord);
}

void Window1::AddMenuHandlers(const Ref<Window>& w)
{
    // The main window handles no menu command of its own.
    (void)RuntimeCheckCast<Window1>(w);
}

void Window1::Event_Open()
{
    ReadPrefs();
    LoadSounds();
}

void Window1::Event_Close()
{
    WritePrefs();
    Quit(0);
}
