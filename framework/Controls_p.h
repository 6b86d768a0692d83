#pragma once
#include <QPointer>
#include <QWidget>

#include "framework/Controls.h"
#include "framework/PlainTextEdit_p.h"

struct RectControlPrivate {
    QPointer<QWidget> widget;
};

QString toQString(const String& s);
String fromQString(const QString& s);
// Program texts separate lines with carriage returns; the widgets want line feeds.
QString displayText(const String& s);

// Point sizes in the layouts assume 72 pixels per inch; Qt's points follow the screen.
double layoutPointsToQt(double points);
double qtPointsToLayout(double points);

class FieldEdit : public PlainTextEdit {
    Q_OBJECT
public:
    explicit FieldEdit(EditField* owner);

    // Code point offsets to and from the document's UTF-16 positions.
    int toDocPos(int32_t codePoint);
    int32_t fromDocPos(int docPos);
    int32_t codePointLength();
    int32_t baseTextSize = 12;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void rebuildIndex();
    EditField* m_owner;
    bool m_indexValid = false;
    std::vector<int> m_surrogates; // code point offsets of characters outside the BMP
    int32_t m_length = 0;
};
