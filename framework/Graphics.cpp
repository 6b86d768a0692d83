#include "framework/Graphics_p.h"

#include <QPainter>
#include <QPainterPath>

namespace {

struct PictureTarget : GraphicsTarget {
    explicit PictureTarget(Ref<Picture> p) : picture(std::move(p)) {}
    QPaintDevice* device() override { return &picture->impl().image; }
    Ref<Picture> picture;
};

QColor qcolor(Color c) { return QColor(c.r, c.g, c.b); }

} // namespace

Graphics::Graphics(std::shared_ptr<GraphicsTarget> target) : m_target(std::move(target)) {}
Graphics::~Graphics() = default;

int32_t Graphics::Width() const
{
    auto* d = m_target->device();
    return d ? d->width() : 0;
}

int32_t Graphics::Height() const
{
    auto* d = m_target->device();
    return d ? d->height() : 0;
}

void Graphics::FillRect(int32_t x, int32_t y, int32_t w, int32_t h)
{
    auto* d = m_target->device();
    if (!d || w <= 0 || h <= 0) return;
    QPainter p(d);
    p.fillRect(QRect(x, y, w, h), qcolor(m_color));
    p.end();
    m_target->changed();
}

void Graphics::FillRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t ovalW, int32_t ovalH)
{
    auto* d = m_target->device();
    if (!d || w <= 0 || h <= 0) return;
    QPainter p(d);
    p.setPen(Qt::NoPen);
    p.setBrush(qcolor(m_color));
    p.drawRoundedRect(QRectF(x, y, w, h), ovalW / 2.0, ovalH / 2.0);
    p.end();
    m_target->changed();
}

void Graphics::DrawRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t ovalW, int32_t ovalH)
{
    auto* d = m_target->device();
    if (!d || w <= 0 || h <= 0) return;
    const int pw = std::max(1, m_penWidth);
    const int ph = std::max(1, m_penHeight);
    // A pen of pw x ph is an outer shape minus an inner one: inner edges are pw, ph inside.
    QPainterPath outer;
    outer.addRoundedRect(QRectF(x, y, w, h), ovalW / 2.0, ovalH / 2.0);
    QPainterPath inner;
    if (w > 2 * pw && h > 2 * ph)
        inner.addRoundedRect(QRectF(x + pw, y + ph, w - 2 * pw, h - 2 * ph), std::max(0.0, ovalW / 2.0 - pw),
                             std::max(0.0, ovalH / 2.0 - ph));
    QPainter p(d);
    p.fillPath(outer.subtracted(inner), qcolor(m_color));
    p.end();
    m_target->changed();
}

void Graphics::DrawPicture(const Ref<Picture>& picture, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx,
                           int32_t sy, int32_t sw, int32_t sh)
{
    auto* d = m_target->device();
    if (!d || !picture) return;
    const QImage src = composedImage(*picture);
    if (sw < 0) sw = src.width();
    if (sh < 0) sh = src.height();
    if (w < 0) w = sw;
    if (h < 0) h = sh;
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
    QPainter p(d);
    p.setRenderHint(QPainter::SmoothPixmapTransform, w != sw || h != sh);
    p.drawImage(QRect(x, y, w, h), src, QRect(sx, sy, sw, sh));
    p.end();
    m_target->changed();
}

Picture::Picture() : m_impl(std::make_unique<Impl>()) {}
Picture::~Picture() = default;

Ref<Picture> Picture::New(int32_t width, int32_t height, int32_t)
{
    if (width < 0 || height < 0 || int64_t(width) * height > 256LL * 1024 * 1024) return nullptr;
    Ref<Picture> pic(new Picture());
    pic->m_impl->image = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    pic->m_impl->image.fill(Qt::white);
    return pic;
}

Ref<Picture> Picture::FromEncoded(std::span<const uint8_t> bytes)
{
    QImage img;
    if (!img.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) return nullptr;
    Ref<Picture> pic(new Picture());
    pic->m_impl->image = img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return pic;
}

int32_t Picture::Width() const { return m_impl->image.width(); }
int32_t Picture::Height() const { return m_impl->image.height(); }

std::unique_ptr<Graphics> Picture::Graphics()
{
    auto self = std::static_pointer_cast<Picture>(shared_from_this());
    return std::make_unique<::Graphics>(std::make_shared<PictureTarget>(self));
}

Ref<Picture> Picture::Mask(bool create)
{
    if (!m_impl->mask && create) {
        m_impl->mask = New(Width(), Height(), 32);
        if (m_impl->mask) m_impl->mask->m_impl->image.fill(Qt::black);
    }
    return m_impl->mask;
}

Color Picture::Pixel(int32_t x, int32_t y) const
{
    if (!m_impl->image.valid(x, y)) return {};
    const QRgb c = m_impl->image.pixel(x, y);
    return Color{static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)), static_cast<uint8_t>(qBlue(c))};
}

QImage composedImage(const Picture& picture)
{
    const auto& impl = picture.impl();
    if (!impl.mask) return impl.image;
    QImage out = impl.image.convertToFormat(QImage::Format_ARGB32);
    const QImage& m = impl.mask->impl().image;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            // Outside the mask counts as opaque.
            const int alpha = m.valid(x, y) ? 255 - qGray(m.pixel(x, y)) : 255;
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x]) * alpha / 255);
        }
    }
    return out;
}
