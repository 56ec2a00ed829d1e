#include "templates/TestPrint.h"

#include "templates/RenderEngine.h"
#include "templates/TemplateError.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// floor(a * dpi / 254), also for negative margins.
int scaleDown(qint64 a, int dpi) {
    const qint64 n = a * dpi;
    qint64 q = n / 254;
    if (n % 254 != 0 && n < 0)
        --q;
    return static_cast<int>(q);
}

bool hasSample(ItemType type) {
    const int t = ItemTypes::index(type);
    return (t >= 1 && t <= 11) || type == ItemType::MonthDayTime || type == ItemType::YearMonthDay;
}

} // namespace

PixelRect testPrintBox(const TemplateItem& item, int dpiX, int dpiY) {
    PixelRect r;
    r.left = scaleDown(item.left, dpiX);
    r.top = scaleDown(item.top, dpiY);
    r.right = r.left + scaleDown(item.width, dpiX);
    r.bottom = r.top + scaleDown(item.height, dpiY);
    return r;
}

QString testPrintText(const TemplateItem& item, QPainter& painter, int dpi, const PixelRect& box) {
    if (hasSample(item.type))
        return PreviewText(item);
    const QString unit = QStringLiteral("测");
    const double a = TextAdvance(item.spacing, painter, dpi, unit).width;
    const int w = qRound(QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(unit));
    if (a <= 0 || w <= 0)
        return QStringLiteral("测试打印");
    const int lines = box.height() / w + 1;
    const int n = static_cast<int>(std::floor(box.width() / a * lines));
    return QStringLiteral("测试打印").repeated(n / 4 + 1);
}

void drawTestPrintItem(QPainter& painter, const TemplateItem& item, int dpiX, int dpiY) {
    const PixelRect box = testPrintBox(item, dpiX, dpiY);
    SetCanvasFont(painter, item.font);
    const QString text = testPrintText(item, painter, dpiX, box);
    drawByKind(painter, item, text, item.type == ItemType::DigitGrid ? box.adjusted(-1) : box, dpiX);
}

bool TestPrintTemplate(CheckPrintDefine& def, const QImage& background, int backgroundDpi,
                       const PrintJobSetup& setup, QString* error) {
    // A font text that cannot be read stops the print before anything reaches the printer.
    try {
        for (const TemplateItem& item : std::as_const(def.items)) {
            QFont font;
            if (item.used && item.printed)
                FontFromText(item.font, font);
        }
    } catch (const TemplateError& e) {
        if (error)
            *error = e.message();
        return false;
    }
    std::unique_ptr<PrintTarget> target =
        beginPrintJob(def, setup, QStringLiteral("测试打印票据：") + def.billName, error);
    if (!target)
        return false;
    const int h = def.dpiX;
    const int v = def.dpiY;
    const QRect bill(scaleDown(def.leftMargin, h), scaleDown(def.topMargin, v), scaleDown(def.width, h),
                     scaleDown(def.length, v));
    {
        QPainter painter;
        if (!painter.begin(target->device())) {
            if (error)
                *error = QStringLiteral("无法开始打印：") + def.billName;
            return false;
        }
        // The whole page moves by the printer's calibration, which the page says in a corner.
        ApplyPrinterOffset(painter, def.offsetX, def.offsetY, h, v);
        const QString mark = CalibrationMark(def.offsetX, def.offsetY);
        if (!mark.isEmpty()) {
            QFont font(QStringLiteral("Noto Sans CJK SC"));
            font.setPixelSize(std::max(8, 30 * v / 254)); // 3 mm high
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QRect(scaleDown(20, h), scaleDown(10, v), scaleDown(800, h), scaleDown(50, v)),
                             Qt::AlignLeft | Qt::AlignTop, mark);
        }
        // The background is laid from the paper's corner, the items at the margins.
        if (def.printBackground && !background.isNull() && backgroundDpi > 0)
            painter.drawImage(QRect(0, 0, int(qint64(background.width()) * h / backgroundDpi),
                                    int(qint64(background.height()) * v / backgroundDpi)),
                              background);
        painter.setClipRect(bill);
        painter.translate(bill.topLeft());
        painter.setPen(Qt::black);
        for (const TemplateItem& item : std::as_const(def.items))
            if (item.used && item.printed)
                drawTestPrintItem(painter, item, h, v);
        painter.end();
    }
    return target->finish(error);
}
