#pragma once
// Helpers shared by the widget tests.
#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

#include <gtest/gtest.h>

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
