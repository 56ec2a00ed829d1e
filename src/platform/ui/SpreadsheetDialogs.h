#pragma once

#include <QString>

class QWidget;

// The file dialogs of the spreadsheet transfers, through the Prompter.
namespace SpreadsheetDialogs {

// The workbook to import; "" when the dialog was cancelled or names no existing file (the
// transfer then does not start, without a message).
QString askImportFile(QWidget* parent, const QString& title);

struct ExportTarget {
    QString path;         // "" when the export does not start
    bool renamed = false; // the chosen name was changed to the .xlsx name written
};

// The .xlsx file to export to. A chosen ".xls" name is written as ".xlsx". An existing file is
// only replaced after the operator agreed, and only once the new workbook is complete.
ExportTarget askExportFile(QWidget* parent, const QString& title);

// After a successful export: tells the operator the name written when it is not the one chosen.
void tellRenamed(QWidget* parent, const ExportTarget& target);

} // namespace SpreadsheetDialogs
