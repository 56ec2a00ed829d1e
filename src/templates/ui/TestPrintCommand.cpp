#include "templates/ui/TestPrintCommand.h"

#include "issuing/ui/SetUpPrintJob.h"
#include "platform/ui/Prompter.h"
#include "templates/TestPrint.h"

void runTestPrint(QWidget* parent, CheckPrintDefine def, const QImage& background, int backgroundDpi) {
    const std::optional<PrintJobSetup> setup = SetUpPrintJob(parent, def);
    if (!setup)
        return;
    QString error;
    if (!TestPrintTemplate(def, background, backgroundDpi, *setup, &error))
        Prompter::instance().error(parent, error);
}
