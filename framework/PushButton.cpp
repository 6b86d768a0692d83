#include "framework/Controls_p.h"

#include <QPushButton>

namespace {
QPushButton* button(const RectControl& c) { return static_cast<QPushButton*>(c.priv().widget.data()); }
} // namespace

PushButton::PushButton()
{
    auto* b = new QPushButton();
    QObject::connect(b, &QPushButton::clicked, b, [this] { raiseAction(); });
    m_priv->widget = b;
}

std::map<std::string, std::string> PushButton::Events() const { return {{"Open", "(  )"}, {"Action", "(  )"}}; }

void PushButton::raiseAction() { Raise<void()>("Action", nullptr); }

void PushButton::Push()
{
    if (auto* b = button(*this)) b->click();
}

String PushButton::Caption() const
{
    auto* b = button(*this);
    return b ? fromQString(b->text()) : String();
}

void PushButton::SetCaption(const String& text)
{
    if (auto* b = button(*this)) b->setText(toQString(text));
}

void PushButton::SetDefault(bool v)
{
    if (auto* b = button(*this)) {
        b->setDefault(v);
        b->setAutoDefault(v);
    }
}

bool PushButton::IsDefault() const
{
    auto* b = button(*this);
    return b && b->isDefault();
}

void PushButton::SetCancel(bool) {}

const PropertyTable& PushButton::Properties() const
{
    static const PropertyTable table = [] {
        PropertyTable t(&RectControl::RectControlProperties());
        t.Add<PushButton, String>("Caption", [](PushButton& c, String v) { c.SetCaption(v); });
        t.Add<PushButton, bool>("Default", [](PushButton& c, bool v) { c.SetDefault(v); });
        t.Add<PushButton, bool>("Cancel", [](PushButton& c, bool v) { c.SetCancel(v); });
        return t;
    }();
    return table;
}
