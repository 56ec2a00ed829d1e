#pragma once

#include "templates/PixelRect.h"
#include "templates/TemplateItem.h"

#include <QFont>
#include <QString>
#include <QStringList>

class QPainter;

// Draws template items on any canvas: a screen image, a printer page or a PDF page. Every call
// gets the resolution (pixels per inch) of the canvas it draws on, and measures text with the
// font metrics of the painter's device, so the same code serves screen and paper. Lengths of
// items are in tenths of a millimetre: a length a is a * dpi / 254 pixels. Texts are drawn in the
// painter's current pen. No operation keeps state between calls.

// Adds the face, size and styles of a font text ("宋体-9", "黑体-12-粗体-下划线") to the font.
// Tokens are separated by "-"; empty tokens are skipped but keep their position, so "宋体--粗体"
// keeps the font's size. Throws TemplateError when the size is not an integer.
void FontFromText(const QString& text, QFont& font);
// The font text of a font: face, size, then at most one of 粗斜体/粗体/斜体, then 下划线, 删除线.
QString FontToText(const QFont& font);
// The font an item's font text describes, with no style but those the text names. Throws as
// FontFromText does.
QFont FontOfText(const QString& text);
// The font text of an item after the operator confirmed the font dialog with picked: the old text
// itself, byte for byte, when face, size and styles are those it describes; else the text composed
// from picked. Throws as FontFromText does when the old text cannot be read.
QString FontTextAfterPick(const QString& text, const QFont& picked);
// The painter's font with its styles cleared and the font text applied.
void SetCanvasFont(QPainter& painter, const QString& fontText);

struct Advance {
    double width = 0;   // the text's advance including spacing
    double spacing = 0; // the spacing after each character, in pixels
};
// Advance of a text with 字间距 spacing (0.1 mm) at a horizontal resolution. Without spacing it
// is the width of the whole text; with spacing the sum over its characters of width + spacing.
Advance TextAdvance(int spacing, QPainter& painter, int dpi, const QString& text);

// The item's box in pixels, every length rounded up.
PixelRect ItemPixelBox(const TemplateItem& item, int dpiX, int dpiY);

// Where the text lands inside the box under the item's alignment (the painter's font is used).
PixelRect AlignTextRect(const TemplateItem& item, int dpi, const QString& text, const PixelRect& box,
                        QPainter& painter);

// Sets the item's font on the painter and computes its box and text rectangle for the text.
void LayoutItem(TemplateItem& item, const QString& text, int dpiX, int dpiY, QPainter& painter);

// The text with a line break wherever the next character would overflow the box width. Every
// output line ends with CR LF and an empty line follows; callers trim before drawing.
QString WrapToBox(const TemplateItem& item, int dpi, const QString& text, const PixelRect& box,
                  QPainter& painter);

// Left to right and top down, wrapping at the right edge; stops at the bottom edge.
void DrawFlowText(QPainter& painter, const QString& text, int alignment, int dpi, int spacing,
                  const PixelRect& rect);
// Right to left from the bottom-right corner, wrapping upwards; the prefix stands left of the
// leftmost character. Stops at the top edge.
void DrawReverseText(QPainter& painter, const QString& text, const QString& prefix, int alignment, int dpi,
                     int spacing, const PixelRect& rect);
// A grid amount such as "Can$2391234567899": the figures right-aligned one per step of digit
// width plus spacing (one per printed cell), the currency sign directly left of the first figure.
void DrawGridAmount(QPainter& painter, const QString& text, int alignment, int dpi, int spacing,
                    const PixelRect& rect);
// Two-character groups, each followed by its suffix when printSuffix is set.
void DrawDigitPairs(QPainter& painter, const QString& text, const QStringList& suffixes, bool printSuffix,
                    int alignment, int dpi, int spacing, const PixelRect& rect);
// "月", "日", "时", "分" for 月日时分, "年", "月", "日" for 年月日, none for other kinds.
QStringList DigitPairSuffixes(ItemType type);

// A converted value of a bill drawn into its item's rectangle, as the bill filling window and
// the print do it: the item's font, then by kind wrapped flow text, right-to-left text, grid
// digits over the whole box, or digit pairs.
void DrawItemValue(QPainter& painter, const TemplateItem& item, const QString& text, const PixelRect& box,
                   int dpi);

// The text drawn into the rectangle with the routine of the item's kind: flowing text, right to
// left, grid amount or digit pairs. The painter's font is used as it is.
void drawByKind(QPainter& painter, const TemplateItem& item, const QString& text, const PixelRect& rect,
                int dpi);

// The sample text of an item where no value exists (designer, position adjustment).
QString PreviewText(const TemplateItem& item);
// Pixels by which the preview frame of an item stands out around its box: 1 for dates, amounts,
// check boxes and digit grids, so that their frame does not touch the text; 0 for the others.
int previewMargin(const TemplateItem& item);
// The frame PreviewItem draws and hits with for the item: its box grown by the preview margin.
PixelRect previewFrame(const TemplateItem& item, int dpi);
// The layout step of PreviewItem: box and text rectangle for the sample, with a one-pixel margin
// around the frames of dates, amounts and check boxes. Items neither printed nor shown for input
// are left alone.
void PreviewLayout(TemplateItem& item, QPainter& painter, int dpi);
// Lays out and draws the item's sample with its frame: red when printed, lime green when only
// shown for input; items that are neither are not drawn.
void PreviewItem(TemplateItem& item, QPainter& painter, int dpi);
