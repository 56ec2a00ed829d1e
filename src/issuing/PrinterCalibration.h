#pragma once

#include "platform/Settings.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

class QPainter;

// 打印机校准: a printer that puts everything a little off (its paper guide, its feed) is corrected
// once for all bills. The operator prints the calibration sheet without any correction, measures
// with a ruler where its crosshairs landed from the paper's left and top edges, and types the
// positions; the printer's offset is what moves the crosshairs back to where they were meant to be.
namespace PrinterCalibration {

// A4, the sheet's paper unless the operator gives another size (tenths of a millimetre).
constexpr int kA4Width = 2100;
constexpr int kA4Length = 2970;

// Where the crosshairs are meant to be, in tenths of a millimetre from the paper's top-left
// corner: 30 mm in from each corner, and the centre.
QList<QPoint> crosshairs(int paperWidth, int paperLength);

// Paints the sheet on a page of that paper at the printer's resolution: a millimetre ruler along
// the top and left edges, the crosshairs each labelled with its intended position in millimetres,
// the printer's name and what to do. Nothing moves it: it measures the printer as it is.
void paintSheet(QPainter& painter, int dpiX, int dpiY, int paperWidth, int paperLength,
                const QString& printer);

// The offset from the typed measurements (tenths of a millimetre; a crosshair not measured is
// left out): the mean of intended minus measured on each axis, rounded to the tenth, halves away
// from zero. Empty with the reason in *why when nothing was measured or a measurement lies more
// than 10 mm from its crosshair, which is a typing slip rather than a printer's offset.
std::optional<Settings::PrinterOffset> offsetFrom(const QList<QPoint>& intended,
                                                  const QList<std::optional<QPoint>>& measured, QString* why);

// "水平 +1.5 毫米（向右），垂直 -0.7 毫米（向上）" for showing an offset before it is saved.
QString describe(Settings::PrinterOffset offset);

} // namespace PrinterCalibration
