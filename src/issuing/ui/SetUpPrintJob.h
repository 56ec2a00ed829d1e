#pragma once

#include "issuing/PrintJob.h"

#include <optional>

class QWidget;

// The print job setup before every print of a template: finds the printer (the saved one, the only
// one, or the operator's choice in the printer selection dialog) and sets up the page for the
// bill. Empty when printing may not go on: no printer is installed (the operator is told) or the
// choice was cancelled. The job itself begins with beginPrintJob(), which reads the resolution.
std::optional<PrintJobSetup> SetUpPrintJob(QWidget* parent, const CheckPrintDefine& def);
