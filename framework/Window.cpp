#include "framework/Window_p.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Graphics_p.h"
#include "framework/Thread.h"
#include "framework/WindowPlacement.h"

namespace {

// The toolkit's own limit on a widget's size.
constexpr int kMaxSize = QWIDGETSIZE_MAX;

std::vector<Ref<Window>>& openWindows()
{
    static std::vector<Ref<Window>> list;
    return list;
}

// Closed windows are released on the next pass of the event loop, never
// from inside one of their own handlers.
void releaseLater(Ref<Window> w)
{
    if (!QCoreApplication::instance()) return;
    QTimer::singleShot(0, QCoreApplication::instance(), [w]() mutable { w.reset(); });
}

struct BackingTarget : GraphicsTarget {
    explicit BackingTarget(WindowPrivate* p) : priv(p) {}
    QPaintDevice* device() override { return &priv->backing; }
    void changed() override
    {
        priv->backingFresh = true;
        if (priv->content) priv->content->update();
    }
    WindowPrivate* priv;
};

// The most room any screen offers a window's content. A saved size far beyond
// every screen would otherwise ask for a drawing surface of gigabytes.
QSize screenRoom()
{
    QSize room;
    for (auto* s : QGuiApplication::screens()) room = room.expandedTo(s->availableGeometry().size());
    return room.isEmpty() ? QSize(kMaxSize, kMaxSize) : room;
}

// The background: the colour the layout gives, or the style's window colour.
void applyBackColor(WindowPrivate& p)
{
    if (!p.content) return;
    QPalette pal = QApplication::palette(p.content);
    if (p.hasBackColor) pal.setColor(QPalette::Window, p.backColor);
    p.content->setPalette(pal);
}

// The frame's controls and size limits as the layout declares them. A window
// that is not resizeable keeps its limits as hints all the same: the window
// manager is told not to offer resizing, while the program still resizes it.
void applyFrameControls(Window& w)
{
    auto& p = w.priv();
    QWidget* f = p.frame;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (p.closeButton) flags |= Qt::WindowCloseButtonHint;
    if (p.minimizeButton) flags |= Qt::WindowMinimizeButtonHint;
    if (p.maximizeButton && p.resizeable) flags |= Qt::WindowMaximizeButtonHint;
    if (f->windowFlags() != flags) f->setWindowFlags(flags);
    const int bar = p.menuBarHeight();
    const QSize low(std::max(1, w.MinWidth), std::max(1, w.MinHeight) + bar);
    const QSize high(std::clamp(w.MaxWidth, 1, kMaxSize), std::clamp(w.MaxHeight, 1, kMaxSize - bar) + bar);
    f->setMinimumSize(low);
    f->setMaximumSize(high.expandedTo(low));
}

// While the program sets a size, the paints its resize handlers ask for are
// shown together on the next frame: one repaint at the final size rather than
// one per handler and per dimension.
class HeldUpdates {
public:
    explicit HeldUpdates(QWidget* w) : m_widget(w && w->isVisible() && w->updatesEnabled() ? w : nullptr)
    {
        if (m_widget) m_widget->setUpdatesEnabled(false);
    }
    ~HeldUpdates()
    {
        if (m_widget) m_widget->setUpdatesEnabled(true); // schedules a paint of the whole window
    }
    HeldUpdates(const HeldUpdates&) = delete;
    HeldUpdates& operator=(const HeldUpdates&) = delete;

private:
    QPointer<QWidget> m_widget;
};

} // namespace

Window::Window() : m_priv(std::make_unique<WindowPrivate>())
{
    auto* frame = new WindowFrame(this);
    m_priv->frame = frame;
    m_priv->content = new WindowContent(this, frame);
    frame->resize(100, 100);
    frame->setWindowTitle(QStringLiteral(" "));
    frame->relayout();
}

Window::~Window()
{
    m_priv->controls.clear();
    if (m_priv->frame) delete m_priv->frame.data();
}

void Window::Construct()
{
    auto self = std::static_pointer_cast<Window>(shared_from_this());
    Layout();
    CreateControls();
    AddMenuHandlers(self);
    // The application's menu bar lives in the first window that shows one.
    if (!m_priv->menuBar) {
        bool hosted = false;
        for (const auto& w : openWindows())
            if (w->priv().menuBar) hosted = true;
        if (!hosted && _GetAppObject() && _GetAppObject()->MenuBar()) {
            m_priv->menuBar = buildMenuBar(m_priv->frame);
            if (m_priv->menuBar) m_priv->frame->resize(Width(), m_priv->frame->height() + m_priv->menuBarHeight());
            m_priv->frame->relayout();
        }
    }
    m_priv->open = true;
    openWindows().push_back(self);
    for (const auto& c : m_priv->controls) c->RaiseOpen();
    try {
        Event_Open();
    } catch (...) {
        // The window still comes up; the exception goes on to whoever named it.
        if (m_priv->open && m_priv->visible) Show();
        throw;
    }
    if (m_priv->open && m_priv->visible) Show();
}

const PropertyTable& Window::WindowProperties()
{
    static const PropertyTable table = [] {
        PropertyTable t;
        t.Add<Window, int32_t>("Width", [](Window& w, int32_t v) { w.SetWidth(v); });
        t.Add<Window, int32_t>("Height", [](Window& w, int32_t v) { w.SetHeight(v); });
        t.Add<Window, int32_t>("Left", [](Window& w, int32_t v) { w.SetLeft(v); });
        t.Add<Window, int32_t>("Top", [](Window& w, int32_t v) { w.SetTop(v); });
        t.Add<Window, int32_t>("MinWidth", [](Window& w, int32_t v) { w.MinWidth = v; });
        t.Add<Window, int32_t>("MinHeight", [](Window& w, int32_t v) { w.MinHeight = v; });
        t.Add<Window, int32_t>("MaxWidth", [](Window& w, int32_t v) { w.MaxWidth = v; });
        t.Add<Window, int32_t>("MaxHeight", [](Window& w, int32_t v) { w.MaxHeight = v; });
        t.Add<Window, String>("Title", [](Window& w, String v) { w.SetTitle(v); });
        t.Add<Window, bool>("Visible", [](Window& w, bool v) { w.priv().visible = v; });
        t.Add<Window, bool>("HasBackColor", [](Window& w, bool v) {
            w.priv().hasBackColor = v;
            applyBackColor(w.priv());
        });
        t.Add<Window, Color>("BackColor", [](Window& w, Color c) {
            w.priv().backColor = QColor(c.r, c.g, c.b);
            applyBackColor(w.priv());
        });
        t.Add<Window, bool>("CloseButton", [](Window& w, bool v) { w.priv().closeButton = v; });
        t.Add<Window, bool>("MinimizeButton", [](Window& w, bool v) { w.priv().minimizeButton = v; });
        t.Add<Window, bool>("MaximizeButton", [](Window& w, bool v) { w.priv().maximizeButton = v; });
        t.Add<Window, bool>("Resizeable", [](Window& w, bool v) { w.priv().resizeable = v; });
        t.Add<Window, int32_t>("Placement", [](Window& w, int32_t v) { w.priv().placement = v; });
        // Accepted from the layouts; the windows here need nothing more of them. Every
        // kind of frame gets the system's title bar, with the controls declared above.
        t.Add<Window, int32_t>("Frame", [](Window&, int32_t) {});
        t.Add<Window, int32_t>("MacProcID", [](Window&, int32_t) {});
        for (auto name : {"Composite", "FullScreen", "MenuBarVisible", "LiveResize"})
            t.Add<Window, bool>(name, [](Window&, bool) {});
        t.Add<Window, String>("BalloonHelp", [](Window&, String) {});
        return t;
    }();
    return table;
}

const PropertyTable& Window::Properties() const { return WindowProperties(); }

int32_t Window::Left() const { return m_priv->frame ? m_priv->frame->geometry().x() : 0; }
int32_t Window::Top() const { return m_priv->frame ? m_priv->frame->geometry().y() + m_priv->menuBarHeight() : 0; }
// The real size, whoever changed it last: the program, the user or the window manager.
int32_t Window::Width() const { return m_priv->frame ? m_priv->frame->width() : 0; }
int32_t Window::Height() const { return m_priv->frame ? m_priv->frame->height() - m_priv->menuBarHeight() : 0; }

namespace {
// A window is kept reachable when it is shown, not while it moves: a position
// and a size set one after the other (as the saved geometry is) are judged
// together, and a drag follows the mouse to the screen's edge and beyond.
// True when the surface was laid out anew at another size.
bool placeFrame(WindowPrivate& p, const QRect& content)
{
    if (!p.frame) return false;
    const int bar = p.menuBarHeight();
    p.frame->setGeometry(content.x(), content.y() - bar, content.width(), content.height() + bar);
    return p.frame->relayout();
}
QRect contentRect(const Window& w) { return QRect(w.Left(), w.Top(), w.Width(), w.Height()); }

QMargins& lastFrameMargins()
{
    static QMargins seen;
    return seen;
}

// The window manager's frame around a shown window, kept for when it is
// hidden; else what it had when last shown.
QMargins measureFrame(WindowPrivate& p)
{
    if (p.frame->isVisible()) {
        const QRect outer = p.frame->frameGeometry(), inner = p.frame->geometry();
        const QMargins m(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
        if (!m.isNull()) p.frameMargins = lastFrameMargins() = m;
    }
    return p.frameMargins;
}

// The content rectangle that puts the whole window, strip and title bar
// included, on the screen it is mostly on (else the main one), as far as it fits.
QRect onScreen(const Window& w, const QRect& content)
{
    auto& p = w.priv();
    std::vector<PlaceRect> areas;
    for (auto* s : QGuiApplication::screens()) {
        const QRect a = s->availableGeometry();
        const PlaceRect r{a.x(), a.y(), a.width(), a.height()};
        if (s == QGuiApplication::primaryScreen()) areas.insert(areas.begin(), r);
        else areas.push_back(r);
    }
    QMargins m = measureFrame(p);
    if (m.isNull()) m = expectedFrameMargins(p);
    if (m.isNull()) m = lastFrameMargins();
    const PlaceEdges edges{m.left(), m.top() + p.menuBarHeight(), m.right(), m.bottom()};
    const PlaceRect r = fitOnArea({content.x(), content.y(), content.width(), content.height()}, edges, areas,
                                  w.MinWidth, w.MinHeight);
    return QRect(r.x, r.y, r.w, r.h);
}
} // namespace

namespace {
// Far beyond any screen, yet far from overflowing the toolkit's coordinates.
constexpr int32_t kFarAway = 1 << 20;
int32_t saneCoordinate(int32_t v) { return std::clamp(v, -kFarAway, kFarAway); }
} // namespace

void Window::SetLeft(int32_t v)
{
    v = saneCoordinate(v);
    m_priv->positioned = true;
    QRect r = contentRect(*this);
    r.moveLeft(v);
    placeFrame(*m_priv, r);
}

void Window::SetTop(int32_t v)
{
    v = saneCoordinate(v);
    m_priv->positioned = true;
    QRect r = contentRect(*this);
    r.moveTop(v);
    placeFrame(*m_priv, r);
}

namespace {
// Setting a size raises Resizing and Resized once, also when the value is the
// same. The size is kept to the most room a screen has; where the window is
// shown it is fitted to its own screen.
void setContentSize(Window& w, int32_t v, bool wide)
{
    auto& p = w.priv();
    const int32_t bar = wide ? 0 : p.menuBarHeight();
    const int32_t low = std::max(1, wide ? w.MinWidth : w.MinHeight);
    const QSize room = screenRoom();
    const int32_t high = std::min({wide ? w.MaxWidth : w.MaxHeight, (wide ? room.width() : room.height()) - bar,
                                   kMaxSize - bar});
    QRect r = contentRect(w);
    if (wide) r.setWidth(std::clamp(v, low, std::max(low, high)));
    else r.setHeight(std::clamp(v, low, std::max(low, high)));
    p.settingSize = true;
    placeFrame(p, r);
    p.settingSize = false;
    HeldUpdates held(p.frame);
    raiseResizeEvents(w);
}
} // namespace

void Window::SetWidth(int32_t v) { setContentSize(*this, v, true); }
void Window::SetHeight(int32_t v) { setContentSize(*this, v, false); }

String Window::Title() const { return m_priv->title; }

void Window::SetTitle(const String& t)
{
    m_priv->title = t;
    // The toolkit shows the program's name in place of an empty title: a blank one shows nothing.
    if (m_priv->frame) m_priv->frame->setWindowTitle(t.IsEmpty() ? QStringLiteral(" ") : toQString(t));
}

bool Window::Visible() const { return m_priv->frame && m_priv->frame->isVisible(); }

void Window::SetVisible(bool v)
{
    m_priv->visible = v;
    if (v) Show();
    else if (m_priv->frame) {
        measureFrame(*m_priv);
        m_priv->frame->hide();
    }
}

void Window::Show()
{
    if (!m_priv->open || !m_priv->frame) return;
    auto& p = *m_priv;
    QRect content = contentRect(*this);
    // A window the program has not placed opens centred on the main screen, not in its corner.
    if (!p.shownBefore && !p.positioned) {
        if (auto* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            content.moveCenter(area.center());
            if (p.placement != 2) content.moveTop(area.top() + (area.height() - content.height()) / 3);
        }
    }
    p.shownBefore = true;
    applyFrameControls(*this);
    // A hidden window's surface was sized with no one told; a shown one tells from its resize event.
    if (placeFrame(p, onScreen(*this, content))) raiseResizeEvents(*this);
    if (p.frame->isMinimized()) p.frame->setWindowState(p.frame->windowState() & ~Qt::WindowMinimized);
    p.frame->show();
    // Only now: a native window made before its geometry is set would be
    // placed by its frame's corner rather than by its content's.
    setFrameFunctions(p.frame, p);
    p.frame->raise();
    p.frame->activateWindow();
}

void Window::Close()
{
    if (!m_priv->open || m_priv->closing) return;
    m_priv->closing = true;
    auto self = std::static_pointer_cast<Window>(shared_from_this());
    try {
        Event_Close();
    } catch (const std::exception& ex) {
        _UnhandledException(ex);
    }
    m_priv->open = false;
    // A thread placed on the window ends with it; resumed later it would find
    // no window, or name a new one into being.
    for (const auto& c : m_priv->controls)
        if (auto thread = std::dynamic_pointer_cast<Thread>(c)) thread->Kill();
    auto& list = openWindows();
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    if (m_priv->frame) m_priv->frame->hide();
    releaseLater(self);
}

bool Window::IsOpen() const { return m_priv->open; }

void Window::SetMouseCursor(MouseCursor c)
{
    m_priv->cursor = c;
    if (m_priv->content)
        m_priv->content->setCursor(c == MouseCursor::ArrowNorthwestSoutheast ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
}

MouseCursor Window::CurrentMouseCursor() const { return m_priv->cursor; }

bool Window::IsContextualClick() const { return m_priv->contextualClick; }

std::unique_ptr<Graphics> Window::Graphics()
{
    const QSize size(std::max(1, Width()), std::max(1, Height()));
    auto& p = *m_priv;
    if (p.backing.size() != size) {
        // A drag changes the size at every step: keep room to spare rather than
        // allocate (and fault in) a new image each time.
        const QSize room = p.backingMemory.size();
        const bool tooSmall = size.width() > room.width() || size.height() > room.height();
        const bool farTooBig = int64_t(size.width()) * size.height() * 4 < int64_t(room.width()) * room.height();
        if (tooSmall || farTooBig) {
            p.backing = QImage();
            p.backingMemory = QImage(size.width() + size.width() / 4 + 32, size.height() + size.height() / 4 + 32,
                                     QImage::Format_RGB32);
        }
        p.backing = QImage(p.backingMemory.bits(), size.width(), size.height(), p.backingMemory.bytesPerLine(),
                           QImage::Format_RGB32);
    }
    return std::make_unique<::Graphics>(std::make_shared<BackingTarget>(m_priv.get()));
}

void Window::Refresh()
{
    if (m_priv->content) m_priv->content->update();
}

void Window::_AddControl(const String& name, const Ref<Control>& control)
{
    NilCheck(control, "control");
    control->Name = name;
    control->setOwner(std::static_pointer_cast<Window>(shared_from_this()));
    m_priv->controls.push_back(control);
    control->attach(*this);
}

Ref<Control> Window::ControlByName(const String& name) const
{
    for (const auto& c : m_priv->controls)
        if (c->Name == name) return c;
    return nullptr;
}

const std::vector<Ref<Control>>& Window::Controls() const { return m_priv->controls; }

Ref<Control> RuntimeWindowControlByName(const Ref<Window>& window, const String& name)
{
    if (!window) return nullptr;
    return window->ControlByName(name);
}

Ref<Window> _GetImplicitWindow(const std::string& className)
{
    for (const auto& w : openWindows())
        if (w->ClassName() == className) return w;
    return nullptr;
}

std::vector<Ref<Window>> OpenWindows() { return openWindows(); }
