#pragma once

#include <QDir>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>

// Printed pages read back with poppler's tools, to see what landed where on the paper.
namespace PdfPages {

// A word of a page: its text and its box in points, the origin at the page's top left.
struct Word {
    QString text;
    QRectF box;
};

// Whether pdftotext and pdftoppm are installed.
bool toolsAvailable();

// Texts read back are NFKC-normalised (full-width signs become their plain forms), and CJK
// radicals that stand for a shared glyph become the character drawn.

// The text of the pages.
QString text(const QString& pdf);
// The words of the pages with their boxes.
QList<Word> words(const QString& pdf);
// The united boxes of the first run of words on one line that spells the text (CJK text may
// come as one word per character); an empty box when the page does not carry it.
QRectF find(const QList<Word>& words, const QString& text);

// The bounding box of the dark pixels of the first page rendered at the given resolution.
QRect inkBounds(const QString& pdf, int dpi = 50);

// Waits for a job printed through a cups-pdf queue: a PDF in the folder that was not among
// `before` and carries the job title, completely written. Empty when none came in time.
QString awaitCupsPdf(const QDir& folder, const QStringList& before, const QString& title, int timeoutMs);

} // namespace PdfPages
