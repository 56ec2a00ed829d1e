#pragma once

#include "platform/Printing.h"

// The system's printers (CUPS on this platform) through QPrinter.
class CupsPrinting : public Printing {
public:
    QStringList printers() override;
    QString defaultPrinter() override;
    std::unique_ptr<PrintTarget> begin(const PrintJobSetup& setup, QString* error) override;
};
