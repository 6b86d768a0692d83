#include "framework/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdio>

namespace {
MsgBoxSink& currentSink()
{
    static MsgBoxSink sink;
    return sink;
}
} // namespace

MsgBoxSink SetMsgBoxSink(MsgBoxSink sink)
{
    MsgBoxSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

void MsgBox(const String& message)
{
    if (const MsgBoxSink sink = currentSink()) {
        sink(message);
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", message.ToUtf8().c_str());
        return;
    }
    QMessageBox box;
    box.setIcon(QMessageBox::NoIcon);
    box.setText(QString::fromStdString(message.ToUtf8()));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
