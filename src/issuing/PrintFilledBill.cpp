#include "issuing/PrintFilledBill.h"

#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>

PrintPlacement PlacementFor(const CheckPrintDefine& def, int screenDpi) {
    PrintPlacement place;
    place.dpiX = def.dpiX;
    place.dpiY = def.dpiY;
    place.screenDpi = screenDpi;
    place.leftMargin = def.leftMargin;
    place.topMargin = def.topMargin;
    place.pageWidth = def.width;
    place.pageLength = def.length;
    place.printBackground = def.printBackground;
    place.offsetX = def.offsetX;
    place.offsetY = def.offsetY;
    return place;
}

PrintOutcome PrintFilledBill(FilledBillPrint& print, const PrintJobSetup& setup) {
    FilledBill& bill = *print.bill;
    CheckPrintFonts(bill);
    CheckPrintDefine def = CheckPrintDefine::fromPage(bill.page);
    def.items = bill.items;
    const auto sendJob = [&](QString* error) {
        std::unique_ptr<PrintTarget> target =
            beginPrintJob(def, setup, QStringLiteral("打印票据：") + def.billName, error);
        if (!target)
            return false;
        QPainter painter;
        if (!painter.begin(target->device())) {
            *error = QStringLiteral("打印机无法开始打印，票据未打印。");
            return false;
        }
        PaintFilledBill(painter, bill, PlacementFor(def, print.screenDpi), print.background, print.currency,
                        print.currencyShown);
        painter.end();
        return target->finish(error);
    };
    return PrintAndRecord(*print.entry, bill, print.currency, print.moment, sendJob, print.extras);
}

QImage RenderPrintedPage(const FilledBill& bill, const PrintJobSetup& setup, int dpi,
                         const QImage& background, int currency, bool currencyShown, int screenDpi) {
    CheckPrintDefine def = CheckPrintDefine::fromPage(bill.page);
    def.dpiX = def.dpiY = dpi;
    def.offsetX = setup.offsetX;
    def.offsetY = setup.offsetY;
    QImage page(std::max(1, int(qint64(def.width) * dpi / 254)),
                std::max(1, int(qint64(def.length) * dpi / 254)), QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(dpi / 0.0254));
    page.setDotsPerMeterY(qRound(dpi / 0.0254));
    page.fill(Qt::white);
    QPainter painter(&page);
    PaintFilledBill(painter, bill, PlacementFor(def, screenDpi), background, currency, currencyShown);
    return page;
}

bool WriteBillsPdf(const QString& file, const QList<PageOfBill>& pages, const QImage& background,
                   bool currencyShown, int screenDpi, QString* error,
                   const std::function<void(int done, int total)>& progress) {
    if (pages.isEmpty())
        return true;
    CheckPrintDefine def = CheckPrintDefine::fromPage(pages.constFirst().bill->page);
    PrintJobSetup setup = pageSetupFor(def, QString());
    setup.title = QStringLiteral("打印票据：") + def.billName;
    const QString part = file + QStringLiteral(".part");
    QFile::remove(part);
    std::unique_ptr<PrintTarget> target = beginPdfJob(part, setup, kPdfDpi, error);
    if (!target)
        return false;
    def.dpiX = target->dpiX();
    def.dpiY = target->dpiY();
    const PrintPlacement place = PlacementFor(def, screenDpi);
    {
        QPainter painter;
        if (!painter.begin(target->device())) {
            target.reset();
            QFile::remove(part);
            if (error)
                *error = QStringLiteral("无法开始写入 PDF。");
            return false;
        }
        for (int i = 0; i < pages.size(); ++i) {
            if (i > 0)
                static_cast<QPagedPaintDevice*>(target->device())->newPage();
            PaintFilledBill(painter, *pages.at(i).bill, place, background, pages.at(i).currency,
                            currencyShown);
            if (progress)
                progress(i + 1, int(pages.size()));
        }
        painter.end();
    }
    const bool finished = target->finish(error);
    target.reset();
    if (!finished ||
        std::rename(QFile::encodeName(part).constData(), QFile::encodeName(file).constData()) != 0) {
        QFile::remove(part);
        return false;
    }
    return true;
}

int PreviewPaintDpi(int widthTenths, int lengthTenths) {
    constexpr double kLargestPixels = 40e6;
    const double tenthsSquared = double(std::max(1, widthTenths)) * std::max(1, lengthTenths);
    return std::max(2, std::min(kPdfDpi, int(std::sqrt(kLargestPixels / tenthsSquared) * 254)));
}
