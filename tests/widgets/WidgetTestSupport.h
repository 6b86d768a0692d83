#pragma once
// Helpers shared by the widget tests.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "app/App.h"
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

// A mouse event at a point of `widget`, handed to its top-level window as the
// window system hands it over: the toolkit finds the widget under the point,
// and what that widget ignores goes on to its parents. Qt::NoButton for a move
// with the buttons up.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    ASSERT_TRUE(widget && widget->window()->windowHandle()) << "not on screen";
    QWidget* top = widget->window();
    const QPointF local = widget->mapTo(top, QPointF(at));
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, local, local, widget->mapToGlobal(QPointF(at)), changed, held, mods);
    QCoreApplication::sendEvent(top->windowHandle(), &e);
}

inline void click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    sendMouse(widget, QEvent::MouseButtonPress, at, button, mods);
    sendMouse(widget, QEvent::MouseButtonRelease, at, button, mods);
}

// Starts with no main window, no saved geometry and no quit pending, and with an
// application object of the program's own (the About window reads its version
// from it); SetUp leaves the main window to the test.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
        ASSERT_EQ(_GetImplicitWindow(Window1::kClassName), nullptr) << "a main window is still open";
        std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "QuibZerevarovePrefs.plist");
        ApplicationTesting::Reset();
        _RuntimeRegisterAppObject(app);
    }
    void TearDown() override
    {
        for (const auto& w : OpenWindows()) w->Close();
        pumpEvents();
        ApplicationTesting::Reset();
        _RuntimeRegisterAppObject(savedApp);
    }

    const Ref<Application> savedApp = _GetAppObject();
    const Ref<App> app = std::make_shared<App>();
};
