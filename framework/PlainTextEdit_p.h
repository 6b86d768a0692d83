#pragma once
#include <QTextEdit>

// A text edit that takes only plain text from a paste, a middle click or a
// drop, and ignores anything else, including an empty clipboard or selection.
class PlainTextEdit : public QTextEdit {
public:
    using QTextEdit::QTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
