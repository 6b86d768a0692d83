#include "framework/Controls_p.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

#include "framework/Window.h"
#include "framework/Window_p.h"

QString toQString(const String& s)
{
    const auto& c = s.Chars();
    return QString::fromUcs4(c.data(), static_cast<qsizetype>(c.size()));
}

String fromQString(const QString& s)
{
    const auto ucs4 = s.toUcs4();
    return String(std::u32string(ucs4.begin(), ucs4.end()));
}

QString displayText(const String& s)
{
    QString q = toQString(s);
    q.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    q.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return q;
}

namespace {
double screenDpi()
{
    if (auto* screen = QGuiApplication::primaryScreen()) return screen->logicalDotsPerInchY();
    return 96.0;
}
} // namespace

double layoutPointsToQt(double points) { return points * 72.0 / screenDpi(); }
double qtPointsToLayout(double points) { return std::round(points * screenDpi() / 72.0 * 100.0) / 100.0; }

// --- RectControl ---

RectControl::RectControl() : m_priv(std::make_unique<RectControlPrivate>()) {}

RectControl::~RectControl()
{
    if (m_priv->widget) delete m_priv->widget.data();
}

void RectControl::applyGeometry()
{
    if (m_priv->widget) m_priv->widget->setGeometry(m_left, m_top, std::max(0, m_width), std::max(0, m_height));
}

void RectControl::SetLeft(int32_t v) { m_left = v; applyGeometry(); }
void RectControl::SetTop(int32_t v) { m_top = v; applyGeometry(); }
void RectControl::SetWidth(int32_t v) { m_width = v; applyGeometry(); }
void RectControl::SetHeight(int32_t v) { m_height = v; applyGeometry(); }

void RectControl::SetVisible(bool v)
{
    m_visible = v;
    if (m_priv->widget && m_priv->widget->parentWidget()) m_priv->widget->setVisible(v);
}

void RectControl::SetEnabled(bool v)
{
    m_enabled = v;
    if (m_priv->widget) m_priv->widget->setEnabled(v);
}

void RectControl::Refresh(bool eraseBackground)
{
    if (!m_priv->widget) return;
    auto* target = m_priv->widget.data();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
    if (eraseBackground) target->repaint();
    else target->update();
}

void RectControl::attach(Window& window)
{
    if (!m_priv->widget) return;
    m_priv->widget->setParent(window.priv().content);
    applyGeometry();
    m_priv->widget->setVisible(m_visible);
}

void RectControl::parentResized(int32_t oldWidth, int32_t oldHeight, int32_t newWidth, int32_t newHeight)
{
    const int32_t dw = newWidth - oldWidth;
    const int32_t dh = newHeight - oldHeight;
    if (LockRight) {
        if (LockLeft) m_width += dw;
        else m_left += dw;
    }
    if (LockBottom) {
        if (LockTop) m_height += dh;
        else m_top += dh;
    }
    applyGeometry();
}

namespace {
// One place for every control's font; a text field's document follows it and
// remembers the size, which its styled text falls back to.
void changeFont(RectControl& c, const std::function<void(QFont&)>& change)
{
    QWidget* w = c.priv().widget.data();
    if (!w) return;
    QFont f = w->font();
    change(f);
    w->setFont(f);
    if (auto* field = qobject_cast<FieldEdit*>(w)) field->document()->setDefaultFont(f);
}
} // namespace

void RectControl::SetTextFont(const String& name)
{
    changeFont(*this, [&](QFont& f) {
        if (!name.IsEmpty() && name != String("System")) f.setFamily(toQString(name));
    });
}

// 0 means the system size.
void RectControl::SetTextSize(int32_t points)
{
    if (points <= 0) return;
    if (auto* field = qobject_cast<FieldEdit*>(m_priv->widget.data())) field->baseTextSize = points;
    changeFont(*this, [&](QFont& f) { f.setPointSizeF(layoutPointsToQt(points)); });
}

void RectControl::SetBold(bool v) { changeFont(*this, [&](QFont& f) { f.setBold(v); }); }
void RectControl::SetItalic(bool v) { changeFont(*this, [&](QFont& f) { f.setItalic(v); }); }
void RectControl::SetUnderline(bool v) { changeFont(*this, [&](QFont& f) { f.setUnderline(v); }); }

const PropertyTable& RectControl::RectControlProperties()
{
    static const PropertyTable table = [] {
        PropertyTable t(&Control::ControlProperties());
        t.Add<RectControl, int32_t>("Left", [](RectControl& c, int32_t v) { c.SetLeft(v); });
        t.Add<RectControl, int32_t>("Top", [](RectControl& c, int32_t v) { c.SetTop(v); });
        t.Add<RectControl, int32_t>("Width", [](RectControl& c, int32_t v) { c.SetWidth(v); });
        t.Add<RectControl, int32_t>("Height", [](RectControl& c, int32_t v) { c.SetHeight(v); });
        t.Add<RectControl, bool>("LockLeft", [](RectControl& c, bool v) { c.LockLeft = v; });
        t.Add<RectControl, bool>("LockTop", [](RectControl& c, bool v) { c.LockTop = v; });
        t.Add<RectControl, bool>("LockRight", [](RectControl& c, bool v) { c.LockRight = v; });
        t.Add<RectControl, bool>("LockBottom", [](RectControl& c, bool v) { c.LockBottom = v; });
        t.Add<RectControl, bool>("Visible", [](RectControl& c, bool v) { c.SetVisible(v); });
        t.Add<RectControl, bool>("Enabled", [](RectControl& c, bool v) { c.SetEnabled(v); });
        t.Add<RectControl, int32_t>("TabIndex", [](RectControl& c, int32_t v) { c.TabIndex = v; });
        // Accepted for the layouts' sake; nothing here depends on them.
        t.Add<RectControl, int32_t>("TabPanelIndex", [](RectControl&, int32_t) {});
        t.Add<RectControl, String>("HelpTag", [](RectControl& c, String v) {
            if (c.priv().widget) c.priv().widget->setToolTip(toQString(v));
        });
        t.Add<RectControl, bool>("AutoDeactivate", [](RectControl&, bool) {});
        t.Add<RectControl, String>("InitialParent", [](RectControl&, String) {});
        t.Add<RectControl, bool>("UseFocusRing", [](RectControl&, bool) {});
        t.Add<RectControl, String>("TextFont", [](RectControl& c, String v) { c.SetTextFont(v); });
        t.Add<RectControl, int32_t>("TextSize", [](RectControl& c, int32_t v) { c.SetTextSize(v); });
        t.Add<RectControl, bool>("Bold", [](RectControl& c, bool v) { c.SetBold(v); });
        t.Add<RectControl, bool>("Italic", [](RectControl& c, bool v) { c.SetItalic(v); });
        t.Add<RectControl, bool>("Underline", [](RectControl& c, bool v) { c.SetUnderline(v); });
        return t;
    }();
    return table;
}

const PropertyTable& RectControl::Properties() const { return RectControlProperties(); }
