// The text field takes plain text from a paste or a drop, and nothing else.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include "framework/Controls_p.h"

namespace {

TEST(PlainTextEdit, PasteAndDropTakeOnlyPlainText)
{
    const struct {
        const char* name;
        void (*fill)(QMimeData&);
        const char* after;
    } cases[] = {
        {"text", [](QMimeData& m) { m.setText("cd"); }, "cd"},
        {"rich text", [](QMimeData& m) { m.setHtml("<b>x</b>"); m.setText("cd"); }, "cd"},
        {"file", [](QMimeData& m) { m.setUrls({QUrl("file:///tmp/f")}); }, ""},
        {"image", [](QMimeData& m) { m.setImageData(QImage(4, 4, QImage::Format_RGB32)); }, ""},
        {"nothing", [](QMimeData&) {}, ""},
    };
    for (const bool drop : {false, true}) {
        for (const auto& c : cases) {
            auto field = std::make_shared<EditField>();
            auto* edit = static_cast<QTextEdit*>(field->priv().widget.data());
            auto* data = new QMimeData; // the clipboard takes it; a drop leaves it to its sender
            c.fill(*data);
            if (drop) {
                // A drop reaches only a field that accepted the drag's entry.
                QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
                QDropEvent event(QPointF(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(edit->viewport(), &enter);
                QCoreApplication::sendEvent(edit->viewport(), &event);
                delete data;
            } else {
                QGuiApplication::clipboard()->setMimeData(data);
                QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
                QCoreApplication::sendEvent(edit, &paste);
            }
            EXPECT_EQ(field->Text().ToUtf8(), c.after) << c.name << (drop ? " dropped" : " pasted");
        }
    }
}

} // namespace
