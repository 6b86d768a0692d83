#pragma once
// Helpers shared by the widget tests.
#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "core/Window1.h"
#include "framework/Application.h"

// Lets the event loop run until done() holds or the time is up.
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

inline void pumpEvents(int ms = 20) { pumpUntil([] { return false; }, ms); }

// Collects what the handler of last resort would have shown.
struct ExceptionRecorder {
    std::vector<std::string> reports;
    UnhandledExceptionSink previous;
    ExceptionRecorder()
    {
        previous = SetUnhandledExceptionSink([this](const std::string& s) { reports.push_back(s); });
    }
    ~ExceptionRecorder() { SetUnhandledExceptionSink(previous); }
};

// A main-window test starts from the built resource file, with no main window
// left open and no quit pending from an earlier test.
inline ::testing::AssertionResult startWithoutMainWindow()
{
    setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
    if (_GetImplicitWindow(Window1::kClassName)) return ::testing::AssertionFailure() << "a main window is still open";
    ApplicationTesting::Reset();
    return ::testing::AssertionSuccess();
}
