#include "framework/Controls_p.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <cmath>

#include "framework/Graphics_p.h"
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

namespace {

double screenDpi()
{
    if (auto* screen = QGuiApplication::primaryScreen()) return screen->logicalDotsPerInchY();
    return 96.0;
}

// Program texts separate lines with carriage returns; the widgets want line feeds.
QString displayText(const String& s)
{
    QString q = toQString(s);
    q.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    q.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return q;
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

// --- EditField ---

FieldEdit::FieldEdit(EditField* owner) : m_owner(owner)
{
    setAcceptRichText(false);
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChanged, this, [this] { m_indexValid = false; });
}

void FieldEdit::rebuildIndex()
{
    m_surrogates.clear();
    const QString text = document()->toRawText();
    int32_t cp = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++cp) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            m_surrogates.push_back(cp);
            ++i;
        }
    }
    m_length = cp;
    m_indexValid = true;
}

int FieldEdit::toDocPos(int32_t codePoint)
{
    if (!m_indexValid) rebuildIndex();
    codePoint = std::clamp(codePoint, 0, m_length);
    const auto before = std::lower_bound(m_surrogates.begin(), m_surrogates.end(), codePoint) - m_surrogates.begin();
    return codePoint + static_cast<int>(before);
}

int32_t FieldEdit::fromDocPos(int docPos)
{
    if (!m_indexValid) rebuildIndex();
    // Each earlier supplementary character takes two document positions.
    int32_t lo = 0, hi = m_length;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo + 1) / 2;
        if (toDocPos(mid) <= docPos) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

int32_t FieldEdit::codePointLength()
{
    if (!m_indexValid) rebuildIndex();
    return m_length;
}

void FieldEdit::keyPressEvent(QKeyEvent* e)
{
    String key;
    switch (e->key()) {
    case Qt::Key_Return: key = Chr(13); break;
    case Qt::Key_Enter: key = Chr(3); break;
    case Qt::Key_Escape: key = Chr(27); break;
    case Qt::Key_Backspace: key = Chr(8); break;
    case Qt::Key_Delete: key = Chr(127); break;
    case Qt::Key_Tab: key = Chr(9); break;
    case Qt::Key_Left: key = Chr(28); break;
    case Qt::Key_Right: key = Chr(29); break;
    case Qt::Key_Up: key = Chr(30); break;
    case Qt::Key_Down: key = Chr(31); break;
    case Qt::Key_Home: key = Chr(1); break;
    case Qt::Key_End: key = Chr(4); break;
    case Qt::Key_PageUp: key = Chr(11); break;
    case Qt::Key_PageDown: key = Chr(12); break;
    default:
        // A Ctrl chord reports a control character; give the letter instead so
        // that Ctrl+C is never taken for Enter (code 3).
        if ((e->modifiers() & Qt::ControlModifier) && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
            key = Chr(static_cast<int32_t>('a' + (e->key() - Qt::Key_A)));
        else
            key = fromQString(e->text());
    }
    if (!key.IsEmpty() && m_owner->raiseKeyDown(key)) {
        e->accept();
        return;
    }
    if (!m_owner->Multiline() && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        e->ignore();
        return;
    }
    QTextEdit::keyPressEvent(e);
}

namespace {
FieldEdit* edit(const RectControl& c) { return static_cast<FieldEdit*>(c.priv().widget.data()); }
} // namespace

EditField::EditField()
{
    m_priv->widget = new FieldEdit(this);
}

std::map<std::string, std::string> EditField::Events() const
{
    return {{"Open", "(  )"}, {"KeyDown", "( String ) as Boolean"}};
}

bool EditField::raiseKeyDown(const String& key)
{
    bool consumed = false;
    Raise<bool(String)>("KeyDown", &consumed, key);
    return consumed;
}

String EditField::Text() const
{
    auto* e = edit(*this);
    if (!e) return {};
    QString t = e->document()->toRawText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return fromQString(t);
}

void EditField::SetText(const String& text)
{
    auto* e = edit(*this);
    if (!e) return;
    e->setPlainText(displayText(text));
    // Qt gives new text the style found at the old insertion point; the whole
    // text takes the field's own font instead, neither bold nor italic.
    QTextCursor all(e->document());
    all.select(QTextCursor::Document);
    all.setCharFormat(QTextCharFormat());
    e->setCurrentCharFormat(QTextCharFormat());
}

int32_t EditField::SelStart() const
{
    auto* e = edit(*this);
    return e ? e->fromDocPos(e->textCursor().selectionStart()) : 0;
}

int32_t EditField::SelLength() const
{
    auto* e = edit(*this);
    if (!e) return 0;
    const auto c = e->textCursor();
    return e->fromDocPos(c.selectionEnd()) - e->fromDocPos(c.selectionStart());
}

void EditField::SetSelStart(int32_t v)
{
    auto* e = edit(*this);
    if (!e) return;
    QTextCursor c = e->textCursor();
    c.setPosition(e->toDocPos(std::max(0, v)));
    e->setTextCursor(c);
}

void EditField::SetSelLength(int32_t v)
{
    auto* e = edit(*this);
    if (!e) return;
    QTextCursor c = e->textCursor();
    const int32_t start = e->fromDocPos(c.selectionStart());
    const int64_t end = std::clamp<int64_t>(int64_t(start) + std::max(0, v), 0, e->codePointLength());
    c.setPosition(e->toDocPos(start));
    c.setPosition(e->toDocPos(static_cast<int32_t>(end)), QTextCursor::KeepAnchor);
    e->setTextCursor(c);
}

String EditField::SelText() const
{
    auto* e = edit(*this);
    if (!e) return {};
    QString t = e->textCursor().selectedText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return fromQString(t);
}

void EditField::SetSelText(const String& text)
{
    auto* e = edit(*this);
    if (!e) return;
    QTextCursor c = e->textCursor();
    c.insertText(displayText(text));
    e->setTextCursor(c);
}

namespace {
// Whether every selected character (or, with none selected, the one before the
// insertion point) has the font property; characters follow the field's font
// where their own format is silent.
bool selectionHas(const FieldEdit* e, bool (QFont::*property)() const)
{
    const QTextCursor c = e->textCursor();
    const QFont base = e->document()->defaultFont();
    QTextCursor probe(e->document());
    const int first = c.hasSelection() ? c.selectionStart() + 1 : c.position();
    const int last = c.hasSelection() ? c.selectionEnd() : c.position();
    for (int pos = first; pos <= last; ++pos) {
        probe.setPosition(pos);
        if (!(probe.charFormat().font().resolve(base).*property)()) return false;
    }
    return true;
}
} // namespace

bool EditField::SelBold() const
{
    auto* e = edit(*this);
    return e && selectionHas(e, &QFont::bold);
}

bool EditField::SelItalic() const
{
    auto* e = edit(*this);
    return e && selectionHas(e, &QFont::italic);
}

void EditField::SetSelBold(bool on)
{
    auto* e = edit(*this);
    if (!e) return;
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    e->textCursor().mergeCharFormat(f);
}

void EditField::SetSelItalic(bool on)
{
    auto* e = edit(*this);
    if (!e) return;
    QTextCharFormat f;
    f.setFontItalic(on);
    e->textCursor().mergeCharFormat(f);
}

double EditField::SelTextSize() const
{
    auto* e = edit(*this);
    if (!e) return 0;
    QTextCursor c = e->textCursor();
    QTextCursor probe(e->document());
    probe.setPosition(c.selectionStart());
    if (c.hasSelection()) probe.movePosition(QTextCursor::NextCharacter);
    const double qt = probe.charFormat().fontPointSize();
    if (qt <= 0) return e->baseTextSize;
    return qtPointsToLayout(qt);
}

void EditField::SetSelTextSize(double points)
{
    auto* e = edit(*this);
    if (!e) return;
    // A size of 0 or less means the field's own size.
    if (!(points > 0)) points = e->baseTextSize;
    QTextCharFormat f;
    f.setFontPointSize(layoutPointsToQt(std::min(points, 1000.0)));
    e->textCursor().mergeCharFormat(f);
}

void EditField::SetScrollPosition(int32_t line)
{
    auto* e = edit(*this);
    if (!e) return;
    auto* bar = e->verticalScrollBar();
    if (line <= 0) {
        bar->setValue(0);
        return;
    }
    const QTextBlock block = e->document()->findBlockByLineNumber(line);
    if (block.isValid()) bar->setValue(static_cast<int>(e->document()->documentLayout()->blockBoundingRect(block).top()));
}

int32_t EditField::ScrollPosition() const
{
    auto* e = edit(*this);
    if (!e) return 0;
    const QTextCursor top = e->cursorForPosition(QPoint(0, 0));
    return top.block().firstLineNumber();
}

void EditField::SetReadOnly(bool v) { if (auto* e = edit(*this)) e->setReadOnly(v); }
bool EditField::ReadOnly() const { auto* e = edit(*this); return e && e->isReadOnly(); }

void EditField::SetTextColor(Color c)
{
    if (auto* e = edit(*this)) {
        QPalette p = e->palette();
        p.setColor(QPalette::Text, QColor(c.r, c.g, c.b));
        e->setPalette(p);
    }
}

void EditField::SetBackColor(Color c)
{
    if (auto* e = edit(*this)) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, QColor(c.r, c.g, c.b));
        e->setPalette(p);
        e->viewport()->setAutoFillBackground(true);
    }
}

void EditField::SetBorder(bool v)
{
    if (auto* e = edit(*this)) e->setFrameShape(v ? QFrame::StyledPanel : QFrame::NoFrame);
}

void EditField::SetMultiline(bool v)
{
    m_multiline = v;
    if (auto* e = edit(*this)) e->setLineWrapMode(v ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void EditField::SetScrollbarHorizontal(bool v)
{
    if (auto* e = edit(*this)) e->setHorizontalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void EditField::SetScrollbarVertical(bool v)
{
    if (auto* e = edit(*this)) e->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void EditField::SetStyled(bool v) { m_styled = v; }
void EditField::SetUseFocusRing(bool) {}

void EditField::SetAlignment(int32_t v)
{
    if (auto* e = edit(*this)) {
        const Qt::Alignment a = v == 2 ? Qt::AlignHCenter : v == 3 ? Qt::AlignRight : Qt::AlignLeft;
        QTextOption o = e->document()->defaultTextOption();
        o.setAlignment(a);
        e->document()->setDefaultTextOption(o);
    }
}

void EditField::SetLimitText(int32_t v) { m_limitText = v; }

void EditField::SetAcceptTabs(bool v)
{
    m_acceptTabs = v;
    if (auto* e = edit(*this)) e->setTabChangesFocus(!v);
}

void EditField::SetPassword(bool) {}

const PropertyTable& EditField::Properties() const
{
    static const PropertyTable table = [] {
        PropertyTable t(&RectControl::RectControlProperties());
        t.Add<EditField, String>("Text", [](EditField& c, String v) { c.SetText(v); });
        t.Add<EditField, bool>("ReadOnly", [](EditField& c, bool v) { c.SetReadOnly(v); });
        t.Add<EditField, Color>("TextColor", [](EditField& c, Color v) { c.SetTextColor(v); });
        t.Add<EditField, Color>("BackColor", [](EditField& c, Color v) { c.SetBackColor(v); });
        t.Add<EditField, bool>("Border", [](EditField& c, bool v) { c.SetBorder(v); });
        t.Add<EditField, bool>("Multiline", [](EditField& c, bool v) { c.SetMultiline(v); });
        t.Add<EditField, bool>("ScrollbarHorizontal", [](EditField& c, bool v) { c.SetScrollbarHorizontal(v); });
        t.Add<EditField, bool>("ScrollbarVertical", [](EditField& c, bool v) { c.SetScrollbarVertical(v); });
        t.Add<EditField, bool>("Styled", [](EditField& c, bool v) { c.SetStyled(v); });
        t.Add<EditField, bool>("Password", [](EditField& c, bool v) { c.SetPassword(v); });
        t.Add<EditField, int32_t>("Alignment", [](EditField& c, int32_t v) { c.SetAlignment(v); });
        t.Add<EditField, int32_t>("LimitText", [](EditField& c, int32_t v) { c.SetLimitText(v); });
        t.Add<EditField, bool>("AcceptTabs", [](EditField& c, bool v) { c.SetAcceptTabs(v); });
        t.Add<EditField, String>("Format", [](EditField&, String) {});
        t.Add<EditField, String>("Mask", [](EditField&, String) {});
        t.Add<EditField, String>("DataSource", [](EditField&, String) {});
        t.Add<EditField, String>("DataField", [](EditField&, String) {});
        return t;
    }();
    return table;
}

// --- StaticText ---

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

// --- Canvas ---

namespace {
class CanvasWidget : public QWidget {
public:
    explicit CanvasWidget(Canvas* owner) : m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_owner->EraseBackground) {
            QPainter p(this);
            p.fillRect(rect(), palette().window());
        }
        Graphics g(std::make_shared<DeviceTarget>(this));
        m_owner->raisePaint(g);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const QPoint pos = e->position().toPoint();
        if (!m_owner->raiseMouseDown(pos.x(), pos.y())) e->ignore();
    }

private:
    Canvas* m_owner;
};
} // namespace

Canvas::Canvas() { m_priv->widget = new CanvasWidget(this); }

std::map<std::string, std::string> Canvas::Events() const
{
    return {{"Open", "(  )"}, {"Paint", "( Graphics )"}, {"MouseDown", "( Int32, Int32 ) as Boolean"}};
}

void Canvas::raisePaint(::Graphics& g) { Raise<void(::Graphics&)>("Paint", nullptr, g); }

bool Canvas::raiseMouseDown(int32_t x, int32_t y)
{
    bool handled = false;
    Raise<bool(int32_t, int32_t)>("MouseDown", &handled, x, y);
    return handled;
}

const PropertyTable& Canvas::Properties() const
{
    static const PropertyTable table = [] {
        PropertyTable t(&RectControl::RectControlProperties());
        t.Add<Canvas, bool>("EraseBackground", [](Canvas& c, bool v) { c.EraseBackground = v; });
        t.Add<Canvas, bool>("AcceptFocus", [](Canvas& c, bool v) { c.AcceptFocus = v; });
        t.Add<Canvas, bool>("AcceptTabs", [](Canvas&, bool) {});
        return t;
    }();
    return table;
}

// --- PushButton ---

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
