#pragma once
// Drawing: off-screen pictures and a graphics context over a picture or a
// window's surface. Colours are 0xRRGGBB.
#include <cstdint>
#include <memory>
#include <span>

#include "framework/Object.h"
#include "framework/Properties.h"

class Picture;
struct GraphicsTarget;

class Graphics {
public:
    explicit Graphics(std::shared_ptr<GraphicsTarget> target);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    int32_t Width() const;
    int32_t Height() const;

    void SetForeColor(uint32_t rgb) { m_color = Color::FromRgb(rgb); }
    void SetForeColor(Color c) { m_color = c; }
    Color ForeColor() const { return m_color; }
    void SetPenWidth(int32_t w) { m_penWidth = w; }
    void SetPenHeight(int32_t h) { m_penHeight = h; }

    void FillRect(int32_t x, int32_t y, int32_t w, int32_t h);
    void FillRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t ovalW, int32_t ovalH);
    // The pen lies inside the rectangle, so a frame never grows the shape.
    void DrawRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t ovalW, int32_t ovalH);
    // Width, height or source size below 0 mean the picture's own size. A nil picture draws nothing.
    void DrawPicture(const Ref<Picture>& picture, int32_t x, int32_t y, int32_t w = -1, int32_t h = -1,
                     int32_t sx = 0, int32_t sy = 0, int32_t sw = -1, int32_t sh = -1);

    GraphicsTarget& Target() const { return *m_target; }

private:
    std::shared_ptr<GraphicsTarget> m_target;
    Color m_color{};
    int32_t m_penWidth = 1;
    int32_t m_penHeight = 1;
};

class Picture : public Object {
public:
    ~Picture() override;

    // Depth 32 is the only depth the program asks for; others are made as 32 as well.
    static Ref<Picture> New(int32_t width, int32_t height, int32_t depth = 32);
    // Decodes PNG (or any image format Qt reads); nil when the bytes are no image.
    static Ref<Picture> FromEncoded(std::span<const uint8_t> bytes);

    int32_t Width() const;
    int32_t Height() const;
    // A fresh context on the picture each call.
    std::unique_ptr<::Graphics> Graphics();
    // The picture's mask; with create, an all-black (fully opaque) one is made when missing.
    // Black in the mask shows the picture, white lets the background through.
    Ref<Picture> Mask(bool create);
    Color Pixel(int32_t x, int32_t y) const;

    struct Impl;
    Impl& impl() const { return *m_impl; }

private:
    Picture();
    std::unique_ptr<Impl> m_impl;
};

inline Ref<Picture> NewPicture(int32_t width, int32_t height, int32_t depth) { return Picture::New(width, height, depth); }
