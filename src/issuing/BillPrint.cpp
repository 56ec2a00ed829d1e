#include "issuing/BillPrint.h"

#include "issuing/Conversion.h"
#include "templates/RenderEngine.h"
#include "templates/TemplateError.h"

#include <QFont>

#include <QPainter>

PixelRect PrintRect(const PixelRect& box, const PrintPlacement& place) {
    const int lm = place.leftMargin * place.dpiX / 254;
    const int tm = place.topMargin * place.dpiY / 254;
    const int p = place.screenDpi;
    return {place.dpiX * box.left / p + lm, place.dpiY * box.top / p + tm,
            place.dpiX * box.right / p + lm + 3, place.dpiY * box.bottom / p + tm + 3};
}

void CheckPrintFonts(const FilledBill& bill) {
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& item = bill.items.at(i);
        if (bill.values.at(i).isEmpty() || !item.printed)
            continue;
        try {
            QFont font;
            FontFromText(item.font, font);
        } catch (const TemplateError& e) {
            throw TemplateError(
                QStringLiteral("子项“%1”的字体“%2”无法使用：%3").arg(item.name, item.font, e.message()));
        }
    }
}

void PaintFilledBill(QPainter& painter, const FilledBill& bill, const PrintPlacement& place,
                     const QImage& background, int currency, bool currencyShown) {
    painter.save();
    ApplyPrinterOffset(painter, place.offsetX, place.offsetY, place.dpiX, place.dpiY);
    if (place.printBackground && !background.isNull())
        painter.drawImage(
            QRect(0, 0, place.pageWidth * place.dpiX / 254, place.pageLength * place.dpiY / 254), background);
    painter.setPen(Qt::black);
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& item = bill.items.at(i);
        const QString& value = bill.values.at(i);
        if (value.isEmpty() || !item.printed)
            continue;
        DrawItemValue(painter, item,
                      FormatItemValue(item.type, value, item.printSuffix, currency, currencyShown),
                      PrintRect(item.box, place), place.dpiX);
    }
    painter.restore();
}
