#pragma once

#include "issuing/BillPrint.h"
#include "issuing/FilledBill.h"
#include "issuing/PrintJob.h"
#include "issuing/PrintRecords.h"
#include "store/MainItemFlag.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>

// What 打  印 does once the printer is chosen: the filled bill goes to the printer and, when the
// printing system has taken it, its history row is appended and its automatic numbers advance.
// The bill filling window and the command line both print through here, so a bill is printed
// and recorded the same way whoever sends it.
struct FilledBillPrint {
    const MainItemFlag* entry = nullptr; // the bill's tables
    FilledBill* bill = nullptr;          // values as stored; the numbers advance after the print
    int currency = 0;
    bool currencyShown = false;
    QImage background;  // the bill's background picture (null for none)
    int screenDpi = 96; // the resolution the items' boxes were taken at
    QDateTime moment;   // the print date of the history row
    PrintExtras extras; // the confirmation question and writes that go with the record
};

// The page placement of a job whose resolution the printer reported into def.
PrintPlacement PlacementFor(const CheckPrintDefine& def, int screenDpi);

// Prints the bill on the printer of the setup (from SetUpPrintJob or a printer named by the
// caller) so that nothing is printed unrecorded (PrintAndRecord): the history row and advanced
// numbers are prepared, the job is painted and sent, and the records are committed once the
// printing system accepted it. The outcome says what happened in the operator's words. Throws
// TemplateError before anything is prepared when an item's font cannot be read.
PrintOutcome PrintFilledBill(FilledBillPrint& print, const PrintJobSetup& setup);

// One filled bill of a page: its values and the currency they are shown in.
struct PageOfBill {
    const FilledBill* bill = nullptr;
    int currency = 0;
};

// The page as the printer gets it, painted by the print path into a white image at the given
// resolution: the bill's size, its margins, the background when the page prints it, and the
// printer's calibration of the setup. The print preview shows this.
QImage RenderPrintedPage(const FilledBill& bill, const PrintJobSetup& setup, int dpi,
                         const QImage& background, int currency, bool currencyShown, int screenDpi);

// The resolution PDF pages are painted at, as a printer's.
constexpr int kPdfDpi = 600;

// The resolution the print preview paints a page of that size (tenths of a millimetre) at: the
// PDF pages' resolution, as the print path paints them, or coarser for a page larger than a
// bill ever is, so that its picture stays within memory. At least 2.
int PreviewPaintDpi(int widthTenths, int lengthTenths);

// Writes the bills as a PDF, one page each, with the print path's page and geometry and no
// calibration (a PDF is for no printer in particular); texts stay text with their fonts embedded.
// The file is written beside its place and put there only when complete; nothing is recorded.
// progress (may be empty) hears of every page. False with the reason in *error.
bool WriteBillsPdf(const QString& file, const QList<PageOfBill>& pages, const QImage& background,
                   bool currencyShown, int screenDpi, QString* error,
                   const std::function<void(int done, int total)>& progress = {});
