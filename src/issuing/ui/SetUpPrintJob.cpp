#include "issuing/ui/SetUpPrintJob.h"

#include "app/ui/TSltPrinterForm.h"
#include "platform/Settings.h"
#include "platform/ui/Prompter.h"

std::optional<PrintJobSetup> SetUpPrintJob(QWidget* parent, const CheckPrintDefine& def) {
    const QStringList installed = Printing::instance().printers();
    const PrinterChoice choice = choosePrinter(installed, Settings::printer());
    QString printer;
    switch (choice.outcome) {
    case PrinterChoice::Chosen:
        printer = choice.printer;
        break;
    case PrinterChoice::NoPrinter:
        Prompter::instance().warning(parent, QStringLiteral("未找到可以使用的打印机 ！"));
        return std::nullopt;
    case PrinterChoice::AskOperator: {
        TSltPrinterForm form(parent);
        const std::optional<QString> chosen = form.choose(installed);
        if (!chosen || chosen->isEmpty())
            return std::nullopt;
        printer = *chosen;
        break;
    }
    }
    return pageSetupFor(def, printer);
}
