#pragma once
#include <QImage>
#include <QPaintDevice>

#include "framework/Graphics.h"

struct GraphicsTarget {
    virtual ~GraphicsTarget() = default;
    virtual QPaintDevice* device() = 0;
    virtual void changed() {}
};

// A plain paint device that outlives the context (a widget during its paint event).
struct DeviceTarget : GraphicsTarget {
    explicit DeviceTarget(QPaintDevice* d) : dev(d) {}
    QPaintDevice* device() override { return dev; }
    QPaintDevice* dev;
};

struct Picture::Impl {
    QImage image;
    Ref<Picture> mask;
};

// The picture as drawn: its mask applied as alpha.
QImage composedImage(const Picture& picture);
