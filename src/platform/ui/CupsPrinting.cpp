#include "platform/ui/CupsPrinting.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
class PrinterTarget : public PrintTarget {
public:
    explicit PrinterTarget(const PrintJobSetup& setup) : m_printer(QPrinter::HighResolution) {
        m_printer.setPrinterName(setup.printerName);
        m_printer.setDocName(setup.title);
        m_printer.setFullPage(true);
        m_printer.setCopyCount(1);
        const QSizeF mm(setup.paperWidthTenths / 10.0, setup.paperLengthTenths / 10.0);
        m_printer.setPageSize(QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        m_printer.setPageOrientation(setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        m_printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    bool valid() const { return m_printer.isValid(); }
    QPaintDevice* device() override { return &m_printer; }
    int dpiX() const override { return m_printer.logicalDpiX(); }
    int dpiY() const override { return m_printer.logicalDpiY(); }
    bool finish(QString* error) override {
        if (m_printer.printerState() == QPrinter::Error || m_printer.printerState() == QPrinter::Aborted) {
            if (error)
                *error = QStringLiteral("打印机报告错误，票据未能打印：") + m_printer.printerName();
            return false;
        }
        return true;
    }

private:
    QPrinter m_printer;
};
} // namespace

QStringList CupsPrinting::printers() {
    return QPrinterInfo::availablePrinterNames();
}

QString CupsPrinting::defaultPrinter() {
    return QPrinterInfo::defaultPrinterName();
}

std::unique_ptr<PrintTarget> CupsPrinting::begin(const PrintJobSetup& setup, QString* error) {
    if (!setup.printerName.isEmpty() && !printers().contains(setup.printerName)) {
        if (error)
            *error = QStringLiteral("找不到打印机：") + setup.printerName;
        return nullptr;
    }
    auto target = std::make_unique<PrinterTarget>(setup);
    if (!target->valid()) {
        if (error)
            *error = QStringLiteral("打印机不可用：") + setup.printerName;
        return nullptr;
    }
    return target;
}
