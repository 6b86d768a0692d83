#include "framework/Controls_p.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

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
    // With no other control to take the focus, the toolkit would type the tab.
    if (!m_owner->AcceptTabs() && (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)) {
        e->ignore();
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
    // The selection and the scroll position stay where they were, as far as the new text reaches.
    const int32_t start = SelStart(), length = SelLength();
    const int scrolled = e->verticalScrollBar()->value();
    e->setPlainText(displayText(text));
    // Qt gives new text the style found at the old insertion point; the whole
    // text takes the field's own font instead, neither bold nor italic.
    QTextCursor all(e->document());
    all.select(QTextCursor::Document);
    all.setCharFormat(QTextCharFormat());
    e->setCurrentCharFormat(QTextCharFormat());
    SetSelStart(start);
    SetSelLength(length);
    e->verticalScrollBar()->setValue(scrolled);
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
