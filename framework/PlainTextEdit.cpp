#include "framework/PlainTextEdit_p.h"

#include <QMimeData>
#include <QTextCursor>

namespace {

// Qt's own insertion crashes on the data an empty X clipboard hands over. Only
// text/plain counts: QMimeData would also offer a dropped file's address as text.
QString plainText(const QMimeData* source)
{
    if (!source || !source->hasFormat(QStringLiteral("text/plain"))) return {};
    return source->text();
}

} // namespace

bool PlainTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return !isReadOnly() && !plainText(source).isEmpty();
}

void PlainTextEdit::insertFromMimeData(const QMimeData* source)
{
    const QString text = plainText(source);
    if (isReadOnly() || text.isEmpty()) return;
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}
