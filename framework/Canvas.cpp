#include "framework/Controls_p.h"

#include <QMouseEvent>
#include <QPainter>

#include "framework/Graphics_p.h"

namespace {
class CanvasWidget : public QWidget {
public:
    explicit CanvasWidget(Canvas* owner) : m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_owner->EraseBackground) {
            QPainter p(this);
            p.fillRect(rect(), palette().window());
        }
        Graphics g(std::make_shared<DeviceTarget>(this));
        m_owner->raisePaint(g);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const QPoint pos = e->position().toPoint();
        if (!m_owner->raiseMouseDown(pos.x(), pos.y())) e->ignore();
    }

private:
    Canvas* m_owner;
};
} // namespace

Canvas::Canvas() { m_priv->widget = new CanvasWidget(this); }

std::map<std::string, std::string> Canvas::Events() const
{
    return {{"Open", "(  )"}, {"Paint", "( Graphics )"}, {"MouseDown", "( Int32, Int32 ) as Boolean"}};
}

void Canvas::raisePaint(::Graphics& g) { Raise<void(::Graphics&)>("Paint", nullptr, g); }

bool Canvas::raiseMouseDown(int32_t x, int32_t y)
{
    bool handled = false;
    Raise<bool(int32_t, int32_t)>("MouseDown", &handled, x, y);
    return handled;
}

const PropertyTable& Canvas::Properties() const
{
    static const PropertyTable table = [] {
        PropertyTable t(&RectControl::RectControlProperties());
        t.Add<Canvas, bool>("EraseBackground", [](Canvas& c, bool v) { c.EraseBackground = v; });
        t.Add<Canvas, bool>("AcceptFocus", [](Canvas& c, bool v) { c.AcceptFocus = v; });
        t.Add<Canvas, bool>("AcceptTabs", [](Canvas&, bool) {});
        return t;
    }();
    return table;
}
