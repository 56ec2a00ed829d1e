#include "issuing/ui/BillPrintCommands.h"

#include "issuing/BillInFilling.h"
#include "issuing/BillPrint.h"
#include "issuing/PrintFilledBill.h"
#include "issuing/PrintRecords.h"
#include "issuing/ui/SetUpPrintJob.h"
#include "issuing/ui/TBatchPrintForm.h"
#include "issuing/ui/TPrintPreviewForm.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "platform/ui/Prompter.h"
#include "store/VoidedRecords.h"

#include <algorithm>

BillPrintCommands::BillPrintCommands(QWidget* window, BillInFilling& filling,
                                     std::function<void()> refreshPreBills)
    : QObject(window), m_window(window), m_filling(filling), m_refreshPreBills(std::move(refreshPreBills)) {}

std::optional<PrintJobSetup> BillPrintCommands::setUpJob() {
    CheckPrintFonts(m_filling.bill);
    CheckPrintDefine def = CheckPrintDefine::fromPage(m_filling.bill.page);
    def.items = m_filling.bill.items;
    return SetUpPrintJob(m_window, def);
}

void BillPrintCommands::printBill() {
    std::optional<PrintJobSetup> setup;
    guarded(m_window, [&] { setup = setUpJob(); });
    if (setup)
        printWith(*setup);
}

void BillPrintCommands::previewPrint() {
    std::optional<PrintJobSetup> setup;
    bool print = false;
    guarded(m_window, [&] {
        setup = setUpJob();
        if (!setup)
            return;
        // Painted as the print path paints the PDF pages, and kept at half of it: fine enough to
        // read every value at 200 %.
        const FilledBill& bill = m_filling.bill;
        const int dpi = PreviewPaintDpi(bill.page.width, bill.page.length);
        const QImage painted =
            RenderPrintedPage(bill, *setup, dpi, m_filling.picture.background(), m_filling.currency,
                              m_filling.currencyShown(), m_filling.screenDpi);
        const QImage page =
            painted.scaled(std::max(1, painted.width() / 2), std::max(1, painted.height() / 2),
                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        TPrintPreviewForm preview(m_window, page, dpi / 2, m_filling.picture.background(), page.rect(),
                                  setup->printerName, CalibrationMark(setup->offsetX, setup->offsetY));
        print = preview.exec() == QDialog::Accepted;
    });
    if (setup && print)
        printWith(*setup);
}

void BillPrintCommands::printBatch() {
    TBatchPrintForm batch(m_window, m_filling.entry, m_filling.typeNames);
    batch.exec();
    // The batch advanced the numbers and may have kept pre-bills.
    guarded(m_window, [this] {
        LoadRememberedItems(m_filling.entry.autoTable, m_filling.bill, Remembered::NumbersOnly);
        m_refreshPreBills();
    });
}

void BillPrintCommands::exportPdf() {
    guarded(m_window, [this] {
        CheckPrintFonts(m_filling.bill);
        FileDialogSpec spec;
        spec.title = QStringLiteral("导出PDF");
        spec.filter = QStringLiteral("PDF 文件(*.pdf)");
        spec.defaultSuffix = QStringLiteral("pdf");
        spec.fileName = m_filling.entry.billName + QStringLiteral(".pdf");
        const QString file = Prompter::instance().saveFile(m_window, spec);
        if (file.isEmpty())
            return;
        QString error;
        if (!WriteBillsPdf(file, {PageOfBill{&m_filling.bill, m_filling.currency}},
                           m_filling.picture.background(), m_filling.currencyShown(), m_filling.screenDpi,
                           &error))
            Prompter::instance().error(m_window,
                                       QStringLiteral("无法写入 PDF 文件“%1”：%2").arg(file, error));
    });
}

void BillPrintCommands::printWith(const PrintJobSetup& setup) {
    guarded(m_window, [&] {
        FilledBillPrint print;
        print.entry = &m_filling.entry;
        print.bill = &m_filling.bill;
        print.currency = m_filling.currency;
        print.currencyShown = m_filling.currencyShown();
        print.background = m_filling.picture.background();
        print.screenDpi = m_filling.screenDpi;
        print.moment = Clock::now();
        if (Settings::confirmAfterPrint())
            print.extras.confirm = [this] {
                return Prompter::instance().question(m_window, QStringLiteral("票据是否已正确打印？"));
            };
        if (m_replaces)
            print.extras.alsoRecord = [this] {
                VoidedRecords::mark(m_filling.entry.historyTable, {*m_replaces}, QStringLiteral("重打"),
                                    Clock::now());
            };
        const PrintOutcome outcome = PrintFilledBill(print, setup);
        if (outcome.kind == PrintOutcome::Recorded)
            m_replaces.reset();
        if (outcome.kind == PrintOutcome::PrintedUnrecorded)
            m_refreshPreBills();
        if (outcome.kind != PrintOutcome::Recorded && outcome.kind != PrintOutcome::NotConfirmed)
            Prompter::instance().error(m_window, outcome.message);
    });
}
