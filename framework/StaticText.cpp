#include "framework/Controls_p.h"

#include <QLabel>

namespace {
QLabel* label(const RectControl& c) { return static_cast<QLabel*>(c.priv().widget.data()); }
} // namespace

StaticText::StaticText()
{
    auto* l = new QLabel();
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(false);
    m_priv->widget = l;
}

String StaticText::Text() const
{
    auto* l = label(*this);
    return l ? fromQString(l->text()) : String();
}

void StaticText::SetText(const String& text)
{
    if (auto* l = label(*this)) {
        l->setTextFormat(Qt::PlainText);
        l->setText(displayText(text));
    }
}

void StaticText::SetTextAlign(int32_t align)
{
    if (auto* l = label(*this)) {
        const Qt::Alignment h = align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft;
        l->setAlignment(h | Qt::AlignTop);
    }
}

void StaticText::SetTextColor(Color c)
{
    if (auto* l = label(*this)) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(c.r, c.g, c.b));
        l->setPalette(p);
    }
}

void StaticText::SetMultiline(bool v)
{
    if (auto* l = label(*this)) l->setWordWrap(v);
}

const PropertyTable& StaticText::Properties() const
{
    static const PropertyTable table = [] {
        PropertyTable t(&RectControl::RectControlProperties());
        t.Add<StaticText, String>("Text", [](StaticText& c, String v) { c.SetText(v); });
        t.Add<StaticText, int32_t>("TextAlign", [](StaticText& c, int32_t v) { c.SetTextAlign(v); });
        t.Add<StaticText, Color>("TextColor", [](StaticText& c, Color v) { c.SetTextColor(v); });
        t.Add<StaticText, bool>("Multiline", [](StaticText& c, bool v) { c.SetMultiline(v); });
        t.Add<StaticText, String>("DataSource", [](StaticText&, String) {});
        t.Add<StaticText, String>("DataField", [](StaticText&, String) {});
        return t;
    }();
    return table;
}
