#include "issuing/BillPicture.h"

#include "issuing/Conversion.h"
#include "store/BillStore.h"
#include "templates/RenderEngine.h"
#include "templates/TemplateError.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>

QImage BillPicture::blankImage(const QSize& size, int dpi) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    return image;
}

QImage BillPicture::loadBackground(const QString& storedPath) {
    const QString path = BillStore::resolvePicturePath(storedPath);
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QImage image;
    switch (BillStore::pictureKindOfBytes(bytes.left(3))) {
    case 0:
        image.loadFromData(bytes, "JPEG");
        break;
    case 1:
        image.loadFromData(bytes, "BMP");
        break;
    default:
        break;
    }
    return image;
}

void BillPicture::noteFontError(const TemplateItem& item, const TemplateError& e) const {
    if (m_fontError.isEmpty())
        m_fontError = QStringLiteral("子项“%1”的字体“%2”无法使用：%3").arg(item.name, item.font, e.message());
}

void BillPicture::build(FilledBill& bill, int dpi) {
    m_dpi = dpi;
    m_fontError.clear();
    const QSize size(dpi * bill.page.width / 254 - 1, dpi * bill.page.length / 254 - 1);
    m_base = blankImage(size, dpi);
    m_background = loadBackground(bill.page.pictureFormat);

    QPainter painter(&m_base);
    if (!m_background.isNull())
        painter.drawImage(QRect(QPoint(0, 0), m_base.size()), m_background);
    for (TemplateItem& item : bill.items) {
        if (!item.showInput && !item.showTitle)
            continue;
        if (item.showTitle) {
            try {
                SetCanvasFont(painter, item.font);
                const QFontMetrics fm(painter.font(), &m_base);
                item.box.left += fm.horizontalAdvance(item.name + QStringLiteral("：")) + 2;
            } catch (const TemplateError& e) {
                noteFontError(item, e);
            }
        }
        if (item.showInput)
            painter.fillRect(item.box.toQRect(), QBrush(hatchColor(), Qt::DiagCrossPattern));
    }
}

QImage BillPicture::withValues(const FilledBill& bill, int currency, bool currencyShown) const {
    QImage image = m_base;
    QPainter painter(&image);
    paintValues(painter, bill, currency, currencyShown);
    return image;
}

void BillPicture::paintValues(QPainter& painter, const FilledBill& bill, int currency,
                              bool currencyShown) const {
    painter.setPen(valueColor());
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& item = bill.items.at(i);
        const QString& value = bill.values.at(i);
        if (value.isEmpty())
            continue;
        // Drawn even at the picture's left edge: every value that will be printed is also shown.
        try {
            DrawItemValue(painter, item,
                          FormatItemValue(item.type, value, item.printSuffix, currency, currencyShown),
                          item.box, m_dpi);
        } catch (const TemplateError& e) {
            noteFontError(item, e);
        }
    }
}
