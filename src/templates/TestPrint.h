#pragma once

#include "issuing/PrintJob.h"
#include "templates/PixelRect.h"

#include <QImage>
#include <QString>

class QPainter;

// The test print lays the template onto the real form in the printer with sample texts, so that
// the operator can check where every item lands. Items are drawn straight onto the page at the
// printer's resolution, so the texts stay sharp and sit where the template puts them.

// The item's box for the test print at a resolution, every length rounded down.
PixelRect testPrintBox(const TemplateItem& item, int dpiX, int dpiY);

// The sample of dates, amounts, check boxes and digit pairs; for every other kind "测试打印"
// repeated often enough to fill the box. The painter carries the item's font.
QString testPrintText(const TemplateItem& item, QPainter& painter, int dpi, const PixelRect& box);

// Draws the item's test text into its box, the painter's origin being the bill's top-left corner.
// Throws TemplateError for a font text whose size is not a number.
void drawTestPrintItem(QPainter& painter, const TemplateItem& item, int dpiX, int dpiY);

// Prints every printed item of the definition with its test text, the bill placed at the margins.
// With the print-background flag set the background picture (made at backgroundDpi, null for
// none) is printed too, from the paper's top-left corner. The setup comes from SetUpPrintJob; the
// printer's resolution is read into def. Returns false with the reason in *error.
bool TestPrintTemplate(CheckPrintDefine& def, const QImage& background, int backgroundDpi,
                       const PrintJobSetup& setup, QString* error);
