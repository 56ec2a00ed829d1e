#pragma once

#include "platform/Printing.h"
#include "templates/TemplateItem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;
struct PageParameters;

// What printing a template needs to know: its items, the bill's size and its margins on the paper,
// all in tenths of a millimetre. The caller fills everything but the resolutions, which
// beginPrintJob() reads back from the printer.
struct CheckPrintDefine {
    QList<TemplateItem> items;
    int width = 0;      // 票据宽
    int length = 0;     // 票据长
    int leftMargin = 0; // 票据左空
    int topMargin = 0;  // 票据顶空
    // Set for "纵向打印" (打印方向 1): the bill runs through the printer lengthwise on a page turned
    // to landscape; clear for "横向打印".
    bool landscape = false;
    QString billName;
    int dpiX = 0; // printer dots per inch, filled when the job begins
    int dpiY = 0;
    bool printBackground = false; // 打印背景: the background picture goes onto the paper too
    int offsetX = 0;              // the printer's calibration in 0.1 mm, filled with the resolution
    int offsetY = 0;

    // Size, margins, direction, name and background flag of stored page parameters; no items.
    static CheckPrintDefine fromPage(const PageParameters& page);
};

// Which printer a job goes to: the saved printer while it is still installed, otherwise the only
// installed printer; with several and none saved the operator chooses.
struct PrinterChoice {
    enum Outcome { Chosen, NoPrinter, AskOperator };
    Outcome outcome = NoPrinter;
    QString printer; // the chosen printer when outcome is Chosen
};
PrinterChoice choosePrinter(const QStringList& installed, const QString& saved);

// The page of a job on the printer: a paper of the bill's size in portrait for "横向打印"; for
// "纵向打印" a paper whose length is the bill's width, turned to landscape. Either way the page
// is the bill's width across and its length down. The printer's calibration, when it has one,
// comes with the page; no printer (a PDF) has none.
PrintJobSetup pageSetupFor(const CheckPrintDefine& def, const QString& printer);

// Starts the job with its title and reads the printer's resolution and the page's calibration into
// def. Null when the printing system refused the job, with the reason in *error.
std::unique_ptr<PrintTarget> beginPrintJob(CheckPrintDefine& def, PrintJobSetup setup, const QString& title,
                                           QString* error);

// The printer's calibration as a move of the painter, in the printer's dots: every page painted
// for a printer (bills, test prints, previews) is moved by it, background and all. Nothing moves
// for offsets of 0.
void ApplyPrinterOffset(QPainter& painter, int offsetX, int offsetY, int dpiX, int dpiY);

// "已校准 +15/-7": the mark of a test print on a calibrated printer; empty without calibration.
QString CalibrationMark(int offsetX, int offsetY);
