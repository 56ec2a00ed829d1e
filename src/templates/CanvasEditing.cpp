#include "templates/CanvasEditing.h"

#include "templates/BillTemplate.h"
#include "templates/RenderEngine.h"

#include <algorithm>
#include <cstdlib>

namespace CanvasEditing {

namespace {

// ceil(p * 254 / dpi) for a pixel length.
int toTenths(int p, int dpi) {
    const qint64 n = qint64(p) * 254;
    qint64 q = n / dpi;
    if (n % dpi != 0 && n > 0)
        ++q;
    return static_cast<int>(q);
}

bool holdsLeft(Handle h) {
    return h == Handle::TopLeft || h == Handle::BottomLeft || h == Handle::Left;
}
bool holdsRight(Handle h) {
    return h == Handle::BottomRight || h == Handle::TopRight || h == Handle::Right;
}
bool holdsTop(Handle h) {
    return h == Handle::TopLeft || h == Handle::TopRight || h == Handle::Top;
}
bool holdsBottom(Handle h) {
    return h == Handle::BottomRight || h == Handle::BottomLeft || h == Handle::Bottom;
}

} // namespace

Handle handleAt(const PixelRect& f, const QPoint& p) {
    const int t = (std::abs(f.right - f.left) < 18 || std::abs(f.bottom - f.top) < 18) ? 4 : 8;
    const auto near = [t](int a, int b) { return std::abs(a - b) < t; };
    const int x = p.x();
    const int y = p.y();
    if (near(x, f.left) && near(y, f.top))
        return Handle::TopLeft;
    if (near(x, f.right) && near(y, f.bottom))
        return Handle::BottomRight;
    if (near(x, f.left) && near(y, f.bottom))
        return Handle::BottomLeft;
    if (near(x, f.right) && near(y, f.top))
        return Handle::TopRight;
    const int midX = (f.left + f.right) / 2;
    const int midY = (f.top + f.bottom) / 2;
    if (near(x, midX) && near(y, f.top))
        return Handle::Top;
    if (near(x, midX) && near(y, f.bottom))
        return Handle::Bottom;
    if (near(x, f.left) && near(y, midY))
        return Handle::Left;
    if (near(x, f.right) && near(y, midY))
        return Handle::Right;
    if (f.left <= x && x <= f.right && f.top <= y && y <= f.bottom)
        return Handle::Inside;
    return Handle::Outside;
}

PixelRect normalised(const PixelRect& r) {
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}

PixelRect movedWithin(const PixelRect& r, const QPoint& topLeft, const QSize& image) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    int left = topLeft.x();
    int top = topLeft.y();
    // The far edges first, so that a frame larger than the image still starts at 0.
    left = std::min(left, image.width() - 1 - w);
    top = std::min(top, image.height() - 1 - h);
    left = std::max(left, 0);
    top = std::max(top, 0);
    return {left, top, left + w, top + h};
}

void dragHandle(PixelRect& r, Handle h, const QPoint& p) {
    const auto apart = [](int a, int b) { return std::abs(a - b) > MinimumSize; };
    if (holdsLeft(h) && apart(p.x(), r.right))
        r.left = p.x();
    if (holdsRight(h) && apart(p.x(), r.left))
        r.right = p.x();
    if (holdsTop(h) && apart(p.y(), r.bottom))
        r.top = p.y();
    if (holdsBottom(h) && apart(p.y(), r.top))
        r.bottom = p.y();
}

PixelRect finishDrag(PixelRect r, Handle h, const QPoint& p, const QPoint& grab, const QSize& image) {
    switch (h) {
    case Handle::Outside:
        return r;
    case Handle::Inside:
        // A click without a move leaves the frame where it is, even one standing out of the corner.
        if (p - grab == QPoint(r.left, r.top))
            return r;
        return movedWithin(r, p - grab, image);
    case Handle::TopLeft:
    case Handle::BottomLeft:
    case Handle::Left:
        r.left = p.x();
        if (r.left > r.right)
            std::swap(r.left, r.right);
        if (r.right - r.left <= MinimumSize - 1)
            r.left = r.right - MinimumSize;
        return r;
    case Handle::BottomRight:
    case Handle::TopRight:
    case Handle::Right:
        r.right = p.x();
        if (r.right < r.left)
            std::swap(r.left, r.right);
        if (r.right - r.left <= MinimumSize - 1)
            r.right = r.left + MinimumSize;
        return r;
    case Handle::Top:
        r.top = p.y();
        if (r.top > r.bottom)
            std::swap(r.top, r.bottom);
        if (r.bottom - r.top <= MinimumSize - 1)
            r.top = r.bottom - MinimumSize;
        return r;
    case Handle::Bottom:
        r.bottom = p.y();
        if (r.bottom < r.top)
            std::swap(r.top, r.bottom);
        if (r.bottom - r.top <= MinimumSize - 1)
            r.bottom = r.top + MinimumSize;
        return r;
    }
    return r;
}

bool insideImage(const PixelRect& r, const QSize& image) {
    return r.left <= image.width() && r.right <= image.width() && r.top <= image.height() &&
           r.bottom <= image.height();
}

bool overlaps(const PixelRect& a, const PixelRect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

bool isDrawn(const TemplateItem& item) {
    return item.used && (item.printed || item.showInput);
}

int itemAt(const BillTemplate& tpl, const QPoint& p) {
    for (int i = tpl.count() - 1; i >= 0; --i) {
        const TemplateItem& item = tpl.items[i];
        const PixelRect& b = item.box;
        if (isDrawn(item) && b.left <= p.x() && p.x() <= b.right && b.top <= p.y() && p.y() <= b.bottom)
            return i;
    }
    return -1;
}

QList<int> itemsTouching(const BillTemplate& tpl, const PixelRect& band) {
    QList<int> out;
    const PixelRect n = normalised(band);
    for (int i = 0; i < tpl.count(); ++i)
        if (isDrawn(tpl.items[i]) && overlaps(n, tpl.items[i].box))
            out << i;
    return out;
}

bool writeBackFrame(TemplateItem& item, const PixelRect& frame, Handle h, int dpi) {
    if (h == Handle::Outside || dpi <= 0)
        return false;
    const PixelRect now = ItemPixelBox(item, dpi, dpi);
    const PixelRect f = normalised(frame).adjusted(-previewMargin(item));
    if (f.left < 0 || f.top < 0)
        return false;
    const bool corner =
        h == Handle::TopLeft || h == Handle::BottomRight || h == Handle::TopRight || h == Handle::BottomLeft;
    const bool left = corner || h == Handle::Left || h == Handle::Inside;
    const bool top = corner || h == Handle::Top || h == Handle::Inside;
    const bool width = corner || h == Handle::Left || h == Handle::Right;
    const bool height = corner || h == Handle::Top || h == Handle::Bottom;
    bool changed = false;
    const auto set = [&](bool allowed, int was, int is, qint32& value) {
        if (allowed && was != is) {
            value = toTenths(is, dpi);
            changed = true;
        }
    };
    set(left, now.left, f.left, item.left);
    set(top, now.top, f.top, item.top);
    set(width, now.width(), f.width(), item.width);
    set(height, now.height(), f.height(), item.height);
    return changed;
}

bool setFieldWithin(TemplateItem& item, Field field, int value, const QSize& image, int dpi) {
    TemplateItem changed = item;
    switch (field) {
    case Field::Left:
        changed.left = value;
        break;
    case Field::Top:
        changed.top = value;
        break;
    case Field::Width:
        changed.width = value;
        break;
    case Field::Height:
        changed.height = value;
        break;
    case Field::Spacing:
        if (value < 0 || value > 0xFFFF)
            return false;
        changed.spacing = static_cast<quint16>(value);
        break;
    }
    // Typed numbers are never negative; a frame standing out of an item in the picture's corner
    // must not block its size, so only the far edges bound it.
    const PixelRect frame = previewFrame(changed, dpi);
    if (frame.right > image.width() || frame.bottom > image.height())
        return false;
    item = changed;
    return true;
}

QString copyName(const BillTemplate& tpl, const QString& name) {
    QString candidate = QStringLiteral("复件") + name;
    for (int k = 2; tpl.indexOfName(candidate) >= 0; ++k)
        candidate = QStringLiteral("复件(%1)").arg(k) + name;
    return candidate;
}

GroupResult applyGroupChange(BillTemplate& tpl, const PixelRect& band, const GroupChange& change) {
    GroupResult result;
    const QList<int> touched = itemsTouching(tpl, band);
    switch (change.action) {
    case GroupChange::Change: {
        const auto number = [&change](int row, bool* ok) {
            const QString text = change.values.value(row).trimmed();
            *ok = false;
            return text.isEmpty() ? 0 : text.toInt(ok);
        };
        for (int i : touched) {
            TemplateItem& item = tpl.items[i];
            bool ok = false;
            int v = number(0, &ok);
            if (ok)
                item.left = v;
            v = number(1, &ok);
            if (ok)
                item.top = v;
            v = number(2, &ok);
            if (ok)
                item.width = v;
            v = number(3, &ok);
            if (ok)
                item.height = v;
            const QString font = change.values.value(4);
            if (!font.isEmpty())
                item.font = font;
            v = number(5, &ok);
            if (ok && v >= 0 && v <= 0xFFFF)
                item.spacing = static_cast<quint16>(v);
            v = number(6, &ok);
            if (ok && v >= 0 && v <= 8)
                item.alignment = static_cast<quint8>(v);
            result.changed << i;
        }
        break;
    }
    case GroupChange::Copy:
        for (int i : touched) {
            TemplateItem copy = tpl.items[i];
            copy.name = copyName(tpl, copy.name);
            copy.left += 10;
            copy.top += 10;
            copy.key = -1;
            if (tpl.append(copy) < 0)
                ++result.notCopied;
            else
                ++result.copied;
        }
        break;
    case GroupChange::Delete:
        for (;;) {
            const QList<int> left = itemsTouching(tpl, band);
            if (left.isEmpty())
                break;
            RemoveItem(tpl, left.first());
            ++result.deleted;
        }
        break;
    }
    return result;
}

} // namespace CanvasEditing
