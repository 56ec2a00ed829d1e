#pragma once

#include "issuing/FilledBill.h"
#include "issuing/PrintJob.h"

#include <QImage>

class QPainter;

// Where the values of a filled bill land on paper: the printer's resolution, the screen
// resolution the items' boxes were taken at, and the page's margins and size in 0.1 mm.
struct PrintPlacement {
    int dpiX = 600;
    int dpiY = 600;
    int screenDpi = 96;
    int leftMargin = 0;
    int topMargin = 0;
    int pageWidth = 0;
    int pageLength = 0;
    bool printBackground = false;
    int offsetX = 0; // the printer's calibration in 0.1 mm: the whole page moves by it
    int offsetY = 0;
};

// An item's screen box scaled to printer dots, margins added, 3 dots more at right and bottom.
PixelRect PrintRect(const PixelRect& screenBox, const PrintPlacement& place);

// Throws TemplateError, naming the item, when the font text of an item that would be printed
// cannot be read; checked before a job starts, so that no half bill comes out.
void CheckPrintFonts(const FilledBill& bill);

// Paints one page of a filled bill: the background stretched from the paper's origin when the
// page asks for it, then every printed item with a value, in black, drawn as on screen; all of it
// moved by the printer's calibration. The painter is left as it was given.
void PaintFilledBill(QPainter& painter, const FilledBill& bill, const PrintPlacement& place,
                     const QImage& background, int currency, bool currencyShown);
