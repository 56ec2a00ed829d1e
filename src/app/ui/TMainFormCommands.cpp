// The main window's commands: the buttons beside the bill list and the menus.
#include "app/ui/HelpWindow.h"
#include "app/ui/TAboutBox.h"
#include "app/ui/TDatabaseSettingsForm.h"
#include "app/ui/TMainForm.h"
#include "app/ui/TPrinterCalibrationForm.h"
#include "app/ui/TSltPrinterForm.h"
#include "app/ui/TSystemSettingsForm.h"
#include "app/ui/TWaitingForm.h"
#include "exchange/SampleCheque.h"
#include "exchange/ui/BackupCommands.h"
#include "exchange/ui/TLoadBillFileForm.h"
#include "issuing/ui/TBatchPrintForm.h"
#include "issuing/ui/TMakeBillForm.h"
#include "platform/AppPaths.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/ui/Prompter.h"
#include "query/ui/TQueryForm.h"
#include "reference/ui/TBussAccountForm.h"
#include "reference/ui/TLinkManForm.h"
#include "reference/ui/TOwnAccountForm.h"
#include "reference/ui/TPurposeForm.h"
#include "templates/ui/DesignCommand.h"
#include "templates/ui/TAdjPositionForm.h"

#include <QPushButton>
#include <QTableWidget>

void TMainForm::issueBill() {
    focusLocation();
    const MainItemFlag* bill = selectedBill();
    if (!bill || !issueButton->isEnabled())
        return;
    const MainItemFlag entry = *bill;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    if (!m_makeBill)
        m_makeBill = new TMakeBillForm(this);
    m_makeBill->setBill(entry, m_store.typeNames());
    m_makeBill->exec();
}

void TMainForm::printBatch() {
    focusLocation();
    const MainItemFlag* bill = selectedBill();
    if (!bill || !batchPrintButton->isEnabled())
        return;
    const MainItemFlag entry = *bill;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    TBatchPrintForm form(this, entry, m_store.typeNames());
    form.exec();
}

void TMainForm::adjustPositions() {
    const MainItemFlag* bill = selectedBill();
    if (!bill || !adjustPositionButton->isEnabled())
        return;
    MainItemFlag entry = *bill;
    entry.typeIndex = m_currentType;
    if (!guarded(this, [&] { m_store.loadWorkingTemplate(entry); }))
        return;
    TAdjPositionForm form(m_store, entry, this);
    form.exec();
}

void TMainForm::designBill() {
    ::designBill(this, m_store);
}

void TMainForm::deleteBill() {
    const MainItemFlag* bill = selectedBill();
    if (!bill)
        return;
    const MainItemFlag entry = *bill;
    if (!Prompter::instance().question(this, QStringLiteral("确定要删除票据: ") + entry.billName +
                                                 QStringLiteral("  吗 ？")))
        return;
    guarded(this, [&] {
        MainItemFlag target = entry;
        target.typeIndex = m_currentType;
        const int previous = m_store.deleteBill(target);
        const int typeRow = typeList->currentRow();
        fillTypeList();
        if (previous == 1) {
            const QString first = typeList->item(0, 0) ? typeList->item(0, 0)->text() : QString();
            m_currentType = first.isEmpty() ? -1 : m_store.typeIndexOf(first);
            typeList->setCurrentCell(0, 0);
            m_highlightedTypeRow = 0;
            typeList->viewport()->update();
            focusLocation();
        } else {
            typeList->setCurrentCell(typeRow, 0);
        }
        listBills(m_currentType);
    });
}

void TMainForm::runBackupCommand(BackupCommands::Refresh (BackupCommands::*command)()) {
    guarded(this, [&] {
        BackupCommands commands(this, &TWaitingForm::runWorker);
        switch ((commands.*command)()) {
        case BackupCommands::Refresh::All:
            refreshAll();
            break;
        case BackupCommands::Refresh::CurrentType:
            listBills(m_currentType);
            break;
        case BackupCommands::Refresh::None:
            break;
        }
    });
}

void TMainForm::importSampleBill() {
    guarded(this, [this] {
        SampleCheque::import(m_store, AppPaths::sampleBillFile());
        refreshAll();
    });
}

void TMainForm::queryHistory() {
    TQueryForm form(m_store, this);
    form.exec();
}

void TMainForm::exportBackup() {
    runBackupCommand(&BackupCommands::exportBackup);
}

void TMainForm::importBackup() {
    runBackupCommand(&BackupCommands::importBackup);
}

void TMainForm::importInformation() {
    runBackupCommand(&BackupCommands::importInformation);
}

void TMainForm::manageOwnAccounts() {
    TOwnAccountForm form(this);
    form.exec();
}

void TMainForm::manageBusinessUnits() {
    TBussAccountForm form(this);
    form.exec();
}

void TMainForm::managePurposes() {
    TPurposeForm form(this);
    form.exec();
}

void TMainForm::manageContacts() {
    TLinkManForm form(this);
    form.exec();
}

void TMainForm::importBill() {
    TLoadBillFileForm form(m_store, this);
    if (form.exec() != QDialog::Accepted)
        return;
    // The import has set the type's count already, in the transaction that created the bill.
    guarded(this, [&] {
        const int chosen = form.chosenTypeIndex();
        if (chosen != m_currentType) {
            const bool hadType = m_currentType != -1;
            fillTypeList();
            if (!hadType)
                m_currentType = chosen;
            // The refilled list may have gained a row above the listed type; keep the
            // highlight on the type whose bills are listed.
            const QString listed = m_store.typeNames().value(m_currentType);
            const QList<QTableWidgetItem*> found = typeList->findItems(listed, Qt::MatchExactly);
            m_highlightedTypeRow = found.isEmpty() ? 0 : found.constFirst()->row();
            typeList->setCurrentCell(m_highlightedTypeRow, 0);
            typeList->viewport()->update();
            if (hadType)
                return;
        }
        listBills(m_currentType);
    });
}

void TMainForm::editSystemSettings() {
    TSystemSettingsForm form(this);
    form.exec();
}

void TMainForm::choosePrinter() {
    const QStringList printers = Printing::instance().printers();
    if (printers.isEmpty()) {
        Prompter::instance().warning(this, QStringLiteral("未找到可以使用的打印机 ！"));
        return;
    }
    TSltPrinterForm form(this);
    form.choose(printers);
}

void TMainForm::changeDatabaseSettings() {
    TDatabaseSettingsForm form(this);
    form.exec();
}

void TMainForm::calibratePrinter() {
    const QStringList printers = Printing::instance().printers();
    if (printers.isEmpty()) {
        Prompter::instance().warning(this, QStringLiteral("未找到可以使用的打印机 ！"));
        return;
    }
    TPrinterCalibrationForm form(this, printers, Settings::printer());
    form.exec();
}

void TMainForm::showHelp() {
    // The help stays open beside the main window until it is closed.
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void TMainForm::showAbout() {
    TAboutBox box(this);
    box.exec();
}
