#include "framework/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdio>

#include "framework/Application.h"

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
    // Ending on a signal (logout, a service manager, a script), nobody may be there to answer.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || IsQuittingOnSignal()) {
        std::fprintf(stderr, "quib-zerevarove: %s\n", message.ToUtf8().c_str());
        return;
    }
    QMessageBox box;
    box.setWindowTitle(QString::fromUtf8(kProgramTitle));
    box.setIcon(QMessageBox::NoIcon);
    box.setText(QString::fromStdString(message.ToUtf8()));
    box.setStandardButtons(QMessageBox::Ok);
    // So that the message can be copied into a report.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}
