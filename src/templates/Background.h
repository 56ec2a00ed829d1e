#pragma once

#include <QImage>
#include <QString>

// The picture of a bill on screen: the bill's size at the screen resolution less one pixel, white,
// with the scanned form (a JPEG or bitmap file, told by its first bytes) stretched over it. A
// missing or unreadable picture leaves it white. The image carries the resolution, so that text
// measured on it is measured at that resolution.
QImage buildBackground(const QString& picturePath, int widthTenths, int lengthTenths, int dpi);

// The resolution recorded in an image as dots per metre, for text measured on it.
void setImageDpi(QImage& image, int dpi);
