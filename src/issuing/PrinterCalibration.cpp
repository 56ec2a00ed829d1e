#include "issuing/PrinterCalibration.h"

#include <QFont>
#include <QPainter>
#include <QPen>

#include <cstdlib>

namespace PrinterCalibration {

namespace {

constexpr int kMarkInset = 300;   // 30 mm from the corners
constexpr int kLargestSlip = 100; // 10 mm
constexpr int kCrossArm = 80;     // 8 mm each way
constexpr int kCrossCircle = 20;  // 2 mm radius

double dots(int tenths, int dpi) {
    return double(tenths) * dpi / 254.0;
}

QString millimetres(int tenths) {
    return QStringLiteral("%1%2.%3")
        .arg(tenths < 0 ? QStringLiteral("-") : QString())
        .arg(std::abs(tenths) / 10)
        .arg(std::abs(tenths) % 10);
}

QString signedMillimetres(int tenths) {
    return (tenths > 0 ? QStringLiteral("+") : QString()) + millimetres(tenths);
}

// Mean of the differences in tenths, rounded half away from zero.
int roundedMean(qint64 sum, qint64 count) {
    const qint64 twice = 2 * sum;
    return int(twice >= 0 ? (twice + count) / (2 * count) : -((-twice + count) / (2 * count)));
}

void ruler(QPainter& p, int dpiX, int dpiY, int length, bool across) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(std::max(6, int(dots(22, dpiY))));
    p.setFont(font);
    for (int mm = 0; mm * 10 <= length; ++mm) {
        const int tick = mm % 10 == 0 ? 50 : mm % 5 == 0 ? 35 : 20;
        const double at = dots(mm * 10, across ? dpiX : dpiY);
        if (across)
            p.drawLine(QPointF(at, 0), QPointF(at, dots(tick, dpiY)));
        else
            p.drawLine(QPointF(0, at), QPointF(dots(tick, dpiX), at));
        if (mm % 10 == 0 && mm > 0) {
            const QString label = QString::number(mm);
            if (across)
                p.drawText(QRectF(at - dots(50, dpiX), dots(55, dpiY), dots(100, dpiX), dots(30, dpiY)),
                           Qt::AlignHCenter | Qt::AlignTop, label);
            else
                p.drawText(QRectF(dots(55, dpiX), at - dots(15, dpiY), dots(100, dpiX), dots(30, dpiY)),
                           Qt::AlignLeft | Qt::AlignVCenter, label);
        }
    }
}

} // namespace

QList<QPoint> crosshairs(int paperWidth, int paperLength) {
    const int right = paperWidth - kMarkInset;
    const int bottom = paperLength - kMarkInset;
    return {{kMarkInset, kMarkInset},
            {right, kMarkInset},
            {paperWidth / 2, paperLength / 2},
            {kMarkInset, bottom},
            {right, bottom}};
}

void paintSheet(QPainter& p, int dpiX, int dpiY, int paperWidth, int paperLength, const QString& printer) {
    p.save();
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, dots(2, dpiX))); // 0.2 mm
    p.setPen(pen);
    ruler(p, dpiX, dpiY, paperWidth, true);
    ruler(p, dpiX, dpiY, paperLength, false);

    QFont label(QStringLiteral("Noto Sans CJK SC"));
    label.setPixelSize(std::max(6, int(dots(28, dpiY))));
    const QList<QPoint> marks = crosshairs(paperWidth, paperLength);
    for (int i = 0; i < marks.size(); ++i) {
        const QPointF c(dots(marks[i].x(), dpiX), dots(marks[i].y(), dpiY));
        p.drawLine(QPointF(c.x() - dots(kCrossArm, dpiX), c.y()),
                   QPointF(c.x() + dots(kCrossArm, dpiX), c.y()));
        p.drawLine(QPointF(c.x(), c.y() - dots(kCrossArm, dpiY)),
                   QPointF(c.x(), c.y() + dots(kCrossArm, dpiY)));
        p.drawEllipse(c, dots(kCrossCircle, dpiX), dots(kCrossCircle, dpiY));
        p.setFont(label);
        // Labels of the crosshairs in the right half stand to their left, so that they stay on the paper.
        const bool rightHalf = marks[i].x() > paperWidth / 2;
        const double labelWidth = dots(600, dpiX);
        const double labelLeft = rightHalf ? c.x() - dots(30, dpiX) - labelWidth : c.x() + dots(30, dpiX);
        p.drawText(QRectF(labelLeft, c.y() + dots(15, dpiY), labelWidth, dots(40, dpiY)),
                   (rightHalf ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop,
                   QStringLiteral("十字 %1：(%2, %3) 毫米")
                       .arg(i + 1)
                       .arg(millimetres(marks[i].x()), millimetres(marks[i].y())));
    }

    QFont text(QStringLiteral("Noto Sans CJK SC"));
    text.setPixelSize(std::max(6, int(dots(35, dpiY))));
    p.setFont(text);
    const QRectF block(dots(kMarkInset, dpiX), dots(kMarkInset + 150, dpiY),
                       dots(paperWidth - 2 * kMarkInset, dpiX), dots(400, dpiY));
    p.drawText(block, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("打印机校准页    打印机：%1\n"
                              "本页不做任何校准。请用直尺从纸张的左边缘和上边缘量出每个十字中心的位置"
                              "（毫米，精确到 0.1），填入“打印机校准”窗口。")
                   .arg(printer));
    p.restore();
}

std::optional<Settings::PrinterOffset>
offsetFrom(const QList<QPoint>& intended, const QList<std::optional<QPoint>>& measured, QString* why) {
    qint64 sumX = 0, sumY = 0, count = 0;
    for (int i = 0; i < intended.size() && i < measured.size(); ++i) {
        if (!measured[i])
            continue;
        const int dx = intended[i].x() - measured[i]->x();
        const int dy = intended[i].y() - measured[i]->y();
        if (std::abs(dx) > kLargestSlip || std::abs(dy) > kLargestSlip) {
            if (why)
                *why =
                    QStringLiteral("十字 %1 量得的位置与应在的位置相差超过 10 毫米，请检查输入。").arg(i + 1);
            return std::nullopt;
        }
        sumX += dx;
        sumY += dy;
        ++count;
    }
    if (count == 0) {
        if (why)
            *why = QStringLiteral("请至少填入一个十字量得的位置。");
        return std::nullopt;
    }
    return Settings::PrinterOffset{roundedMean(sumX, count), roundedMean(sumY, count)};
}

QString describe(Settings::PrinterOffset offset) {
    const auto direction = [](int v, const QString& positive, const QString& negative) {
        return v == 0 ? QString() : QStringLiteral("（%1）").arg(v > 0 ? positive : negative);
    };
    return QStringLiteral("水平 %1 毫米%2，垂直 %3 毫米%4")
        .arg(signedMillimetres(offset.x), direction(offset.x, QStringLiteral("向右"), QStringLiteral("向左")),
             signedMillimetres(offset.y),
             direction(offset.y, QStringLiteral("向下"), QStringLiteral("向上")));
}

} // namespace PrinterCalibration
