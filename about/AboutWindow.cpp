#include "about/AboutWindow.h"

#include "about/Credits.h"
#include "about/CreditsMarkup.h"
#include "about/Pictures.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "resources/Records.h"

namespace {

// A control of the window by name, cast to its class; nil raises NilObjectException.
template <class C>
Ref<C> control(const Ref<Window>& window, const char* name)
{
    return NilCheck(RuntimeCheckCast<C>(RuntimeWindowControlByName(window, name)), name);
}

template <class C>
Ref<C> addControl(Window& window, const char* name, std::span<const std::uint8_t> record)
{
    auto c = window.__New<C>();
    c->Constructor();
    window._AddControl(name, c);
    auto added = control<C>(std::static_pointer_cast<Window>(window.shared_from_this()), name);
    _SetProperties(*added, record);
    return added;
}

} // namespace

Ref<AboutWindow> AboutWindow::Instance() { return ImplicitInstance<AboutWindow>(); }

void AboutWindow::Layout() { _SetProperties(*this, kAboutWindowRecord); }

void AboutWindow::CreateControls() { _CreateControls0(); }

void AboutWindow::_CreateControls0()
{
    auto self = std::static_pointer_cast<AboutWindow>(shared_from_this());

    auto icon = addControl<Canvas>(*this, "AppIconCanvas", kAppIconCanvasRecord);
    _InstallInstanceEventHandler(icon, "Paint", RuntimeCreateDelegate(&AboutWindow::AppIconCanvas_Paint, self, "( Graphics )"));

    auto name = addControl<StaticText>(*this, "StatAppName", kStatAppNameRecord);
    _InstallInstanceEventHandler(name, "Open", RuntimeCreateDelegate(&AboutWindow::StatAppName_Open, self, "(  )"));

    auto version = addControl<StaticText>(*this, "StatAppVersion", kStatAppVersionRecord);
    _InstallInstanceEventHandler(version, "Open", RuntimeCreateDelegate(&AboutWindow::StatAppVersion_Open, self, "(  )"));

    auto credits = addControl<EditField>(*this, "EditAppCredits", kEditAppCreditsRecord);
    _InstallInstanceEventHandler(credits, "Open", RuntimeCreateDelegate(&AboutWindow::EditAppCredits_Open, self, "(  )"));

    auto copyright = addControl<StaticText>(*this, "StatAppCopyright", kStatAppCopyrightRecord);
    _InstallInstanceEventHandler(copyright, "Open",
                                 RuntimeCreateDelegate(&AboutWindow::StatAppCopyright_Open, self, "(  )"));

    auto badge = addControl<Canvas>(*this, "KvIconCanvas", kKvIconCanvasRecord);
    _InstallInstanceEventHandler(badge, "MouseDown", RuntimeCreateDelegate(&AboutWindow::KvIconCanvas_MouseDown, self,
                                                                           "( Int32, Int32 ) as Boolean"));
    _InstallInstanceEventHandler(badge, "Paint", RuntimeCreateDelegate(&AboutWindow::KvIconCanvas_Paint, self, "( Graphics )"));
}

void AboutWindow::StatAppName_Open() {}
void AboutWindow::StatAppVersion_Open() {}
void AboutWindow::EditAppCredits_Open() {}
void AboutWindow::StatAppCopyright_Open() {}

void AboutWindow::AddMenuHandlers(const Ref<Window>& w)
{
    // The About window handles no menu command of its own.
    (void)RuntimeCheckCast<AboutWindow>(w);
}

void AboutWindow::Show(bool withCredits)
{
    UseCredits = withCredits;
    SetupWindow();
    Window::Show();
}

void AboutWindow::SetupWindow()
{
    const auto self = std::static_pointer_cast<Window>(shared_from_this());
    control<StaticText>(self, "StatAppName")->SetText("Quib Zerevarove");
    control<StaticText>(self, "StatAppVersion")->SetText("Version " + VersionString());
    control<StaticText>(self, "StatAppCopyright")->SetText(CopyrightNotice());
    if (UseCredits) {
        SetCreditsFieldText(CreditsText(), true);
        control<StaticText>(self, "StatAppCopyright")->SetTop(280);
        control<EditField>(self, "EditAppCredits")->SetVisible(true);
        SetHeight(366);
        control<Canvas>(self, "KvIconCanvas")->SetTop(324);
    } else {
        // Without the credits field the notice, the badge and the bottom edge move up by 148.
        control<EditField>(self, "EditAppCredits")->SetVisible(false);
        control<StaticText>(self, "StatAppCopyright")->SetTop(132);
        SetHeight(218);
        control<Canvas>(self, "KvIconCanvas")->SetTop(176);
    }
}

void AboutWindow::SetCreditsFieldText(const String& text, bool parseMarkup)
{
    auto field = control<EditField>(std::static_pointer_cast<Window>(shared_from_this()), "EditAppCredits");
    SetMarkupText(*field, text, parseMarkup);
}

String AboutWindow::VersionString()
{
    // Each field is read at the moment it is needed, as the application holds it then.
    const auto app = [] { return NilCheck(_GetAppObject(), "App"); };
    const String base = Str(app()->MajorVersion) + "." + Str(app()->MinorVersion) + "." + Str(app()->BugVersion);
    const int32_t stage = app()->StageCode;
    if (stage == 0) return base + " (Dev. " + Str(app()->NonReleaseVersion) + ")";
    if (stage == 1) return base + "a" + " (" + Str(app()->NonReleaseVersion) + ")";
    if (stage == 2) return base + "b" + " (" + Str(app()->NonReleaseVersion) + ")";
    if (stage == 3) return base + " (" + Str(app()->NonReleaseVersion) + ")";
    return base;
}

void AboutWindow::AppIconCanvas_Paint(::Graphics& g)
{
    const auto icon = NilCheck(AboutIcon(), "AboutIcon");
    NilCheck(icon->Mask(true), "AboutIcon mask")->Graphics()->DrawPicture(AboutMask(), 0, 0);
    g.DrawPicture(icon, 0, 0, 64, 64, 0, 0, icon->Width(), icon->Height());
}

void AboutWindow::KvIconCanvas_Paint(::Graphics& g)
{
    const auto badge = NilCheck(MwKvHzMd(), "MwKvHzMd");
    NilCheck(badge->Mask(true), "MwKvHzMd mask")->Graphics()->DrawPicture(MwKvHzMdMask(), 0, 0);
    g.DrawPicture(badge, 0, 0, 216, 30, 0, 0, 216, 30);
}

bool AboutWindow::KvIconCanvas_MouseDown(int32_t, int32_t)
{
    ShowURL(BadgeAddress());
    // The press is not followed further.
    return false;
}
