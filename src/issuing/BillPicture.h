#pragma once

#include "issuing/FilledBill.h"

#include <QColor>
#include <QImage>

class QPainter;

class TemplateError;

// The picture of a bill form on screen: white, the background picture stretched over it, and
// every input area hatched; values are drawn over it in blue. Sizes are in screen pixels.
class BillPicture {
public:
    static QColor hatchColor() { return QColor(194, 200, 226); }
    static QColor valueColor() { return QColor(0, 0, 255); }

    // Builds the picture for the page at dpi pixels per inch. Items that show their title have the
    // left edge of their box moved past the title. A missing or unreadable background picture
    // leaves the picture white.
    void build(FilledBill& bill, int dpi);

    const QImage& base() const { return m_base; }
    // The background picture as loaded (null when there is none); the print stretches it too.
    const QImage& background() const { return m_background; }
    int dpi() const { return m_dpi; }

    // The picture with every non-empty value drawn into its item's box. An item whose font text
    // cannot be read is left out; fontError() tells of the first one.
    QImage withValues(const FilledBill& bill, int currency, bool currencyShown) const;
    // The values alone, drawn on a painter whose device already shows the base picture (or
    // anything else) at the picture's resolution; nothing is copied.
    void paintValues(QPainter& painter, const FilledBill& bill, int currency, bool currencyShown) const;
    // The message of the first item font that could not be read, "" while there was none.
    const QString& fontError() const { return m_fontError; }

    // The background picture of a page, found by its file name in the picture folder.
    static QImage loadBackground(const QString& storedPath);
    // An image of the given size whose fonts measure at dpi pixels per inch.
    static QImage blankImage(const QSize& size, int dpi);

private:
    void noteFontError(const TemplateItem& item, const TemplateError& e) const;

    QImage m_base;
    QImage m_background;
    int m_dpi = 96;
    mutable QString m_fontError;
};
