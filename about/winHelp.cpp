#include "about/winHelp.h"

#include "framework/Controls.h"
#include "resources/Records.h"

Ref<winHelp> winHelp::Instance() { return ImplicitInstance<winHelp>(); }

void winHelp::Layout() { _SetProperties(*this, kWinHelpRecord); }

void winHelp::CreateControls() { _CreateControls0(); }

void winHelp::_CreateControls0()
{
    auto self = std::static_pointer_cast<winHelp>(shared_from_this());
    {
        auto label = __New<StaticText>();
        label->Constructor();
        _AddControl("StaticText1", label);
    }
    _SetProperties(*NilCheck(RuntimeCheckCast<StaticText>(RuntimeWindowControlByName(self, "StaticText1")), "StaticText1"),
                   kStaticText1Record);
    {
        auto button = __New<PushButton>();
        button->Constructor();
        _AddControl("PushButton1", button);
    }
    auto button = NilCheck(RuntimeCheckCast<PushButton>(RuntimeWindowControlByName(self, "PushButton1")), "PushButton1");
    _SetProperties(*button, kPushButton1Record);
    _InstallInstanceEventHandler(button, "Action", RuntimeCreateDelegate(&winHelp::PushButton1_Action, self, "(  )"));
}

void winHelp::PushButton1_Action() { Close(); }

void winHelp::AddMenuHandlers(const Ref<Window>& w)
{
    // The Help window handles no menu command of its own.
    (void)RuntimeCheckCast<winHelp>(w);
}
