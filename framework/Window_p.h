#pragma once
#include <QColor>
#include <QImage>
#include <QMargins>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include "framework/Window.h"

class WindowContent;

// The top-level widget: an optional menu bar strip above the content area.
class WindowFrame : public QWidget {
public:
    explicit WindowFrame(Window* owner);
    // Places the strip, the surface and the controls; true when the surface's size changed.
    bool relayout();

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    Window* m_owner;
};

// The window's own surface: paint and mouse events go to the window's handlers.
class WindowContent : public QWidget {
public:
    explicit WindowContent(Window* owner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QPoint localPos(const QMouseEvent* e) const;
    void showContextualMenu(const QPoint& local, const QPoint& global);
    Window* m_owner;
    bool m_tracking = false;
};

struct WindowPrivate {
    QPointer<WindowFrame> frame;
    QPointer<WindowContent> content;
    QPointer<QMenuBar> menuBar;
    std::vector<Ref<Control>> controls;
    bool open = false;        // constructed and not yet closed
    bool closing = false;
    bool settingSize = false; // Width or Height is being set: that setter raises the resize events
    bool contextualClick = false;
    bool visible = true;      // the layout's wish, applied after Open
    // The frame's controls as the layout declares them; the window manager is told at each Show.
    bool closeButton = true, minimizeButton = true, maximizeButton = true, resizeable = true;
    bool hasBackColor = false;
    QColor backColor = Qt::white;
    String title;             // as the program set it; an empty one is shown blank
    int32_t placement = 0;       // 2: centred on the main screen; 0: the toolkit's default
    bool positioned = false;     // the program set Left or Top
    bool shownBefore = false;
    QMargins frameMargins;       // the window manager's frame, as last measured
    MouseCursor cursor = MouseCursor::Arrow;
    QImage backingMemory;     // room for the backing, kept across small size changes
    QImage backing;           // what Window.Graphics drew, shown on the next paint; a view into backingMemory
    bool backingFresh = false;
    int laidOutWidth = 0, laidOutHeight = 0; // the content size the controls were placed for

    int menuBarHeight() const;
};

// Raises the window's Resizing and Resized events, if it is open.
void raiseResizeEvents(Window& w);

// Tells the window manager which frame controls the window has; X11 only, nothing elsewhere.
void setFrameFunctions(QWidget* frame, const WindowPrivate& p);
// What the window manager will draw around a window's content once it is shown; none elsewhere.
QMargins expectedFrameMargins(const WindowPrivate& p);

// Builds the Qt menu bar for the application's bar; defined with the application.
QMenuBar* buildMenuBar(QWidget* parent);
