// Drawing a bill: the screen redraw of a filled bill picture and the printing of bills to PDF,
// against plain QPainter drawing the same texts at the same places.
// Run on demand: cmake --build build --target bench_render && build/bin/bench_render [repeats]

#include "BenchTable.h"
#include "issuing/BillPicture.h"
#include "issuing/BillPrint.h"
#include "issuing/Conversion.h"
#include "platform/Fonts.h"
#include "templates/RenderEngine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

namespace {

// A bill of n items in rows of ten: texts, figures, capital and grid amounts in several fonts,
// alignments and spacings. Bills of another variant carry other values in the same places.
FilledBill sampleBill(int n, int variant = 0) {
    FilledBill bill;
    const int rows = (n + 9) / 10;
    bill.page.width = 10 * 110 * 254 / 96 + 254;
    bill.page.length = rows * 36 * 254 / 96 + 254;
    const char* fonts[] = {"宋体-9", "黑体-10", "楷体-11-粗体", "仿宋-12"};
    for (int i = 0; i < n; ++i) {
        TemplateItem item = TemplateItem::newItem(QStringLiteral("子项%1").arg(i));
        item.font = QString::fromUtf8(fonts[i % 4]);
        item.alignment = quint8(i % 9);
        item.spacing = quint16(i % 3 == 0 ? 0 : i % 5);
        item.printed = true;
        item.showInput = true;
        item.box = PixelRect{(i % 10) * 110 + 4, (i / 10) * 36 + 4, (i % 10) * 110 + 108, (i / 10) * 36 + 36};
        QString value;
        switch (i % 5) {
        case 0:
            item.type = ItemType::Text;
            value = QStringLiteral("北京某某公司%1").arg(i + variant * 1000);
            break;
        case 1:
            item.type = ItemType::AmountFigures;
            value =
                QStringLiteral("%1.%2").arg(1000 + i * 37 + variant).arg(i % 100, 2, 10, QLatin1Char('0'));
            break;
        case 2:
            item.type = ItemType::AmountCapital;
            value = QStringLiteral("%1.50").arg(100 + i + variant);
            break;
        case 3:
            item.type = ItemType::Purpose;
            value = QStringLiteral("货款 第%1批 付讫").arg(i + variant);
            break;
        default:
            item.type = ItemType::AmountGrid;
            value = QStringLiteral("%1.25").arg(20000 + i * 13 + variant);
            break;
        }
        bill.items << item;
        bill.values << value;
    }
    return bill;
}

struct PlainText {
    QFont font;
    QPointF at;
    QString text;
};

// The texts as the program would draw them, each whole at the top-left of its box.
QList<PlainText> plainTexts(const FilledBill& bill, QPaintDevice& device,
                            const std::function<PixelRect(const PixelRect&)>& place) {
    QList<PlainText> texts;
    QPainter painter(&device);
    for (int i = 0; i < bill.count(); ++i) {
        const TemplateItem& item = bill.items.at(i);
        SetCanvasFont(painter, item.font);
        const QFont font = painter.font();
        const PixelRect r = place(item.box);
        texts << PlainText{font, QPointF(r.left, r.top + QFontMetricsF(font, &device).ascent()),
                           FormatItemValue(item.type, bill.values.at(i), item.printSuffix, 0, false)};
    }
    return texts;
}

void drawPlain(QPainter& painter, const QList<PlainText>& texts) {
    painter.setPen(Qt::black);
    for (const PlainText& t : texts) {
        painter.setFont(t.font);
        painter.drawText(t.at, t.text);
    }
}

void redraw(int items, int repeats) {
    FilledBill bill = sampleBill(items);
    BillPicture picture;
    picture.build(bill, 96);
    QImage target = picture.base();
    const QList<PlainText> texts = plainTexts(bill, target, [](const PixelRect& r) { return r; });
    // Each timing covers many redraws, so that short ones rise above the timer's grain.
    const int loops = std::max(1, 2000 / items);
    const auto copy = bench::measurePairs(
        repeats,
        [&] {
            // As while the operator types: one value changes between redraws.
            for (int k = 0; k < loops; ++k) {
                bill.values[0] = QStringLiteral("北京某某公司%1").arg(k);
                target = picture.withValues(bill, 0, false);
            }
        },
        [&] {
            for (int k = 0; k < loops; ++k) {
                QPainter painter(&target);
                drawPlain(painter, texts);
            }
        });
    const auto over = bench::measurePairs(
        repeats,
        [&] {
            for (int k = 0; k < loops; ++k) {
                bill.values[0] = QStringLiteral("北京某某公司%1").arg(k);
                QPainter painter(&target);
                picture.paintValues(painter, bill, 0, false);
            }
        },
        [&] {
            for (int k = 0; k < loops; ++k) {
                QPainter painter(&target);
                drawPlain(painter, texts);
            }
        });
    auto perRedraw = [loops](bench::Pair p) {
        p.program /= loops;
        p.floor /= loops;
        return p;
    };
    bench::printRow(QStringLiteral("redraw, %1 items, copy of the base").arg(items), perRedraw(copy));
    bench::printRow(QStringLiteral("redraw, %1 items, over the base").arg(items), perRedraw(over));
}

void printToPdf(int bills, int repeats) {
    FilledBill bill = sampleBill(100);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bills.pdf"));
    PrintPlacement place;
    place.dpiX = place.dpiY = 600;
    place.pageWidth = bill.page.width;
    place.pageLength = bill.page.length;
    auto writer = [&](QPdfWriter& pdf) {
        pdf.setResolution(600);
        pdf.setPageSize(
            QPageSize(QSizeF(bill.page.width / 10.0, bill.page.length / 10.0), QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF());
    };
    // Every bill carries values of its own.
    QList<FilledBill> all;
    QList<QList<PlainText>> texts;
    {
        QPdfWriter probe(path);
        writer(probe);
        for (int b = 0; b < bills; ++b) {
            all << sampleBill(100, b + 1);
            texts << plainTexts(all.last(), probe, [&](const PixelRect& r) { return PrintRect(r, place); });
        }
    }
    const auto pair = bench::measurePairs(
        repeats,
        [&] {
            QPdfWriter pdf(path);
            writer(pdf);
            QPainter painter(&pdf);
            for (int b = 0; b < bills; ++b) {
                if (b > 0)
                    pdf.newPage();
                PaintFilledBill(painter, all.at(b), place, QImage(), 0, false);
            }
        },
        [&] {
            QPdfWriter pdf(path);
            writer(pdf);
            QPainter painter(&pdf);
            for (int b = 0; b < bills; ++b) {
                if (b > 0)
                    pdf.newPage();
                drawPlain(painter, texts.at(b));
            }
        });
    bench::printRow(QStringLiteral("%1 bills of 100 items to PDF").arg(bills), pair);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Fonts::installSubstitutions();
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    bench::printHeader("Drawing (medians of pairs taken side by side)");
    // Bill counts after the repeats time only the PDF at those sizes.
    QList<int> pdfSizes;
    for (int i = 2; i < argc; ++i)
        pdfSizes << std::max(1, atoi(argv[i]));
    if (pdfSizes.isEmpty()) {
        for (int items : {10, 100, 1000})
            redraw(items, repeats);
        pdfSizes = {20, 200, 2000};
    }
    for (int bills : pdfSizes)
        printToPdf(bills, bills >= 2000 ? std::max(1, repeats / 3) : repeats);
    return 0;
}
