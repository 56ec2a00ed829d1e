#include "issuing/PrintJob.h"

#include "platform/Settings.h"
#include "templates/PageParameters.h"

#include <QPainter>

CheckPrintDefine CheckPrintDefine::fromPage(const PageParameters& page) {
    CheckPrintDefine def;
    def.width = page.width;
    def.length = page.length;
    def.leftMargin = page.leftMargin;
    def.topMargin = page.topMargin;
    def.landscape = page.direction != 0;
    def.billName = page.billName;
    def.printBackground = page.printBackground;
    return def;
}

PrinterChoice choosePrinter(const QStringList& installed, const QString& saved) {
    // A saved printer that was removed since is forgotten.
    if (!saved.isEmpty() && installed.contains(saved))
        return {PrinterChoice::Chosen, saved};
    if (installed.isEmpty())
        return {PrinterChoice::NoPrinter, QString()};
    if (installed.size() == 1)
        return {PrinterChoice::Chosen, installed.constFirst()};
    return {PrinterChoice::AskOperator, QString()};
}

PrintJobSetup pageSetupFor(const CheckPrintDefine& def, const QString& printer) {
    PrintJobSetup setup;
    setup.printerName = printer;
    setup.landscape = def.landscape;
    if (def.landscape) {
        setup.paperWidthTenths = def.length;
        setup.paperLengthTenths = def.width;
    } else {
        setup.paperWidthTenths = def.width;
        setup.paperLengthTenths = def.length;
    }
    if (!printer.isEmpty()) {
        const Settings::PrinterOffset offset = Settings::printerOffset(printer);
        setup.offsetX = offset.x;
        setup.offsetY = offset.y;
    }
    return setup;
}

std::unique_ptr<PrintTarget> beginPrintJob(CheckPrintDefine& def, PrintJobSetup setup, const QString& title,
                                           QString* error) {
    setup.title = title;
    std::unique_ptr<PrintTarget> target = Printing::instance().begin(setup, error);
    if (target) {
        def.dpiX = target->dpiX();
        def.dpiY = target->dpiY();
        def.offsetX = setup.offsetX;
        def.offsetY = setup.offsetY;
    }
    return target;
}

void ApplyPrinterOffset(QPainter& painter, int offsetX, int offsetY, int dpiX, int dpiY) {
    if (offsetX != 0 || offsetY != 0)
        painter.translate(double(offsetX) * dpiX / 254.0, double(offsetY) * dpiY / 254.0);
}

QString CalibrationMark(int offsetX, int offsetY) {
    if (offsetX == 0 && offsetY == 0)
        return {};
    const auto signedText = [](int v) {
        return (v >= 0 ? QStringLiteral("+") : QString()) + QString::number(v);
    };
    return QStringLiteral("已校准 %1/%2").arg(signedText(offsetX), signedText(offsetY));
}
