#include "issuing/PrintFilledBill.h"

#include <QPainter>

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
