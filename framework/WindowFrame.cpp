#include "framework/Window_p.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Controls_p.h"
#include "framework/Graphics_p.h"

namespace {
// Runs one of the program's event handlers; what it throws goes to the
// handler of last resort, and the event is over. False when it threw.
template <class F>
bool runHandler(F&& handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception& ex) {
        _UnhandledException(ex);
        return false;
    }
}
} // namespace

void raiseResizeEvents(Window& w)
{
    if (!w.IsOpen()) return;
    runHandler([&] {
        w.Event_Resizing();
        w.Event_Resized();
    });
}

int WindowPrivate::menuBarHeight() const
{
    if (!menuBar || menuBar->isNativeMenuBar() || menuBar->isHidden()) return 0;
    return menuBar->sizeHint().height();
}

// --- WindowFrame ---

WindowFrame::WindowFrame(Window* owner) : m_owner(owner) {}

bool WindowFrame::relayout()
{
    auto& p = m_owner->priv();
    const int bar = p.menuBarHeight();
    const int w = width();
    const int h = std::max(0, height() - bar);
    if (p.menuBar && bar > 0) p.menuBar->setGeometry(0, 0, w, bar);
    if (p.content) p.content->setGeometry(0, bar, w, h);
    // Controls follow here rather than in a resize event: Qt holds those back while hidden.
    if (w == p.laidOutWidth && h == p.laidOutHeight) return false;
    const int oldW = p.laidOutWidth, oldH = p.laidOutHeight;
    p.laidOutWidth = w;
    p.laidOutHeight = h;
    for (const auto& c : p.controls)
        if (auto rc = std::dynamic_pointer_cast<RectControl>(c)) rc->parentResized(oldW, oldH, w, h);
    return true;
}

void WindowFrame::closeEvent(QCloseEvent* e)
{
    // The window's own Close runs; the widget goes away with the window.
    e->ignore();
    if (!m_owner->priv().closing) m_owner->Close();
}

// Return or Enter that no control took presses the window's default button.
void WindowFrame::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        for (const auto& c : m_owner->Controls()) {
            auto button = std::dynamic_pointer_cast<PushButton>(c);
            if (button && button->IsDefault() && button->Enabled()) {
                button->Push();
                return;
            }
        }
    }
    QWidget::keyPressEvent(e);
}

void WindowFrame::resizeEvent(QResizeEvent*)
{
    // A size the program sets raises its events from the setter, once.
    if (relayout() && !m_owner->priv().settingSize) raiseResizeEvents(*m_owner);
}

// --- WindowContent ---

WindowContent::WindowContent(Window* owner, QWidget* parent) : QWidget(parent), m_owner(owner)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WindowContent::paintEvent(QPaintEvent*)
{
    auto& p = m_owner->priv();
    if (p.backingFresh && p.backing.size() == size()) {
        QPainter painter(this);
        painter.drawImage(0, 0, p.backing);
        p.backingFresh = false;
        return;
    }
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
    }
    Graphics g(std::make_shared<DeviceTarget>(this));
    runHandler([&] { m_owner->Event_Paint(g); });
}

// Window-local position from the event's screen position and where the window
// is now. The event's own local position is relative to where the X server had
// the window when the event was made, which lags behind a window being dragged.
QPoint WindowContent::localPos(const QMouseEvent* e) const
{
    const QPoint global = e->globalPosition().toPoint();
    return QPoint(global.x() - m_owner->Left(), global.y() - m_owner->Top());
}

void WindowContent::mousePressEvent(QMouseEvent* e)
{
    // A press a control let through (a text field's right-click, before its
    // own menu) stays the control's: the window sees only presses on its body.
    if (childAt(e->position().toPoint())) return;
    auto& p = m_owner->priv();
    const QPoint pos = localPos(e);
    p.contextualClick = e->button() == Qt::RightButton ||
                        (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ControlModifier));
    bool handled = false;
    runHandler([&] { handled = m_owner->Event_MouseDown(pos.x(), pos.y()); });
    const bool contextual = p.contextualClick;
    p.contextualClick = false;
    if (handled && !contextual) {
        m_tracking = true;
        return;
    }
    if (contextual) showContextualMenu(pos, e->globalPosition().toPoint());
}

void WindowContent::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = localPos(e);
    runHandler([&] {
        if (m_tracking && (e->buttons() & Qt::LeftButton)) m_owner->Event_MouseDrag(pos.x(), pos.y());
        else if (!e->buttons()) m_owner->Event_MouseMove(pos.x(), pos.y());
    });
}

void WindowContent::mouseReleaseEvent(QMouseEvent*) { m_tracking = false; }

void WindowContent::showContextualMenu(const QPoint& local, const QPoint& global)
{
    auto base = std::make_shared<MenuItem>();
    bool show = false;
    if (!runHandler([&] { show = m_owner->Event_ConstructContextualMenu(base, local.x(), local.y()); })) return;
    if (!show || base->Count() == 0) return;
    QMenu menu(this);
    std::map<QAction*, Ref<MenuItem>> items;
    for (const auto& item : base->Children()) {
        if (item->IsSeparator()) {
            items[menu.addSeparator()] = item;
            continue;
        }
        QAction* a = menu.addAction(toQString(item->Text));
        a->setEnabled(item->Enabled);
        items[a] = item;
    }
    QAction* chosen = menu.exec(global);
    if (!chosen) return;
    // Keep the window alive while its handler runs, even if the handler closes it.
    auto self = std::static_pointer_cast<Window>(m_owner->shared_from_this());
    runHandler([&] { self->Event_ContextualMenuAction(items[chosen]); });
}
