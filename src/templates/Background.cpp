#include "templates/Background.h"

#include "store/BillStore.h"

#include <QFileInfo>
#include <QPainter>

#include <algorithm>

namespace {
// Larger bills than a few metres are typing mistakes; the picture stays within what can be drawn.
constexpr int kMaxSide = 20000;

int side(int tenths, int dpi) {
    const qint64 px = qint64(tenths) * dpi / 254 - 1;
    return static_cast<int>(std::clamp<qint64>(px, 1, kMaxSide));
}
} // namespace

void setImageDpi(QImage& image, int dpi) {
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
}

QImage buildBackground(const QString& picturePath, int widthTenths, int lengthTenths, int dpi) {
    QImage image(side(widthTenths, dpi), side(lengthTenths, dpi), QImage::Format_RGB32);
    image.fill(Qt::white);
    setImageDpi(image, dpi);
    if (picturePath.isEmpty() || !QFileInfo(picturePath).isFile())
        return image;
    const int kind = BillStore::pictureKind(picturePath);
    if (kind < 0)
        return image;
    QImage picture;
    if (!picture.load(picturePath, kind == 0 ? "JPEG" : "BMP"))
        return image;
    QPainter painter(&image);
    painter.drawImage(QRect(0, 0, image.width(), image.height()), picture);
    return image;
}
