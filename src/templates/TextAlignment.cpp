#include "templates/TextAlignment.h"

#include <cmath>

namespace TextAlignment {

QStringList texts() {
    return QString::fromUtf8("居中|向左|向右|向上|向下|左上角|右上角|左下角|右下角").split(QLatin1Char('|'));
}

QString text(int alignment) {
    const QStringList all = texts();
    return alignment >= 0 && alignment < all.size() ? all.at(alignment) : QString();
}

Horizontal horizontal(int alignment) {
    switch (alignment) {
    case 0:
    case 3:
    case 4:
        return Horizontal::Centre;
    case 1:
    case 5:
    case 7:
        return Horizontal::Left;
    case 2:
    case 6:
    case 8:
        return Horizontal::Right;
    default:
        return Horizontal::None;
    }
}

Vertical vertical(int alignment) {
    switch (alignment) {
    case 0:
    case 1:
    case 2:
        return Vertical::Centre;
    case 3:
    case 5:
    case 6:
        return Vertical::Top;
    case 4:
    case 7:
    case 8:
        return Vertical::Bottom;
    default:
        return Vertical::None;
    }
}

int indent(int alignment, double spacing) {
    if (alignment == 0)
        return static_cast<int>(std::trunc(spacing * 0.5));
    if (alignment == 2 || alignment == 6 || alignment == 8)
        return static_cast<int>(std::trunc(spacing));
    return 0;
}

} // namespace TextAlignment
