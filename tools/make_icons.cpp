// Writes the program's icon as SVG and as PNG in the sizes desktops ask for, from one drawing:
// a green cheque with two payee lines, a signature line and a red yuan sign.
// Usage: make_icons OUTPUT_FOLDER

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cstdio>

namespace {

// On a 64 x 64 canvas.
struct Stroke {
    QLineF line;
    const char* colour;
    double width;
};
struct Card {
    QRectF rect;
    double radius;
    const char* colour;
};

const Card kCards[] = {{{4, 12, 56, 40}, 6, "#2e7d5b"}, {{8, 16, 48, 32}, 3, "#e8f5ee"}};
const Stroke kStrokes[] = {
    {{14, 24, 38, 24}, "#2e7d5b", 2.5}, {{14, 31, 33, 31}, "#2e7d5b", 2.5},
    {{14, 41, 30, 39}, "#2e7d5b", 2},   {{43, 21, 48, 28}, "#c62828", 2.5},
    {{53, 21, 48, 28}, "#c62828", 2.5}, {{48, 28, 48, 42}, "#c62828", 2.5},
    {{43, 32, 53, 32}, "#c62828", 2.2}, {{43, 37, 53, 37}, "#c62828", 2.2},
};

QString svg() {
    QString out;
    QTextStream s(&out);
    s << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n";
    for (const Card& c : kCards)
        s << QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                 .arg(c.rect.x())
                 .arg(c.rect.y())
                 .arg(c.rect.width())
                 .arg(c.rect.height())
                 .arg(c.radius)
                 .arg(QLatin1String(c.colour));
    for (const Stroke& k : kStrokes)
        s << QStringLiteral(
                 "  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\" "
                 "stroke-linecap=\"round\"/>\n")
                 .arg(k.line.x1())
                 .arg(k.line.y1())
                 .arg(k.line.x2())
                 .arg(k.line.y2())
                 .arg(QLatin1String(k.colour))
                 .arg(k.width);
    s << "</svg>\n";
    return out;
}

QImage png(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    for (const Card& c : kCards) {
        p.setBrush(QColor(QLatin1String(c.colour)));
        p.drawRoundedRect(c.rect, c.radius, c.radius);
    }
    for (const Stroke& k : kStrokes) {
        p.setPen(QPen(QColor(QLatin1String(k.colour)), k.width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(k.line);
    }
    p.end();
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;
    QFile file(out.filePath(QStringLiteral("tarvel.svg")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(svg().toUtf8()) < 0)
        return 1;
    file.close();
    for (int size : {16, 32, 48, 64, 128, 256})
        if (!png(size).save(out.filePath(QStringLiteral("tarvel-%1.png").arg(size))))
            return 1;
    return 0;
}
