#pragma once

#include <QPoint>
#include <QRect>

// A rectangle in device pixels whose right and bottom are the far edges: its width is
// right - left (QRect's right() is one pixel short of that).
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(const QPoint& p) const {
        return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
    }
    // Grown by d pixels on every side (shrunk for a negative d).
    PixelRect adjusted(int d) const { return {left - d, top - d, right + d, bottom + d}; }
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    static PixelRect fromQRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }

    bool operator==(const PixelRect&) const = default;
};
