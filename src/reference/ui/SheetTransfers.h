#pragma once

#include <QString>

#include <functional>

class QWidget;
class Worker;

// The spreadsheet buttons of the business-unit and contacts windows ("导入记录", "导出记录"): ask
// for the file, run the worker behind the busy window, and tell the operator when it failed.
namespace SheetTransfers {

// Runs a worker behind the busy window; false with the error text when it threw.
using Runner = std::function<bool(QWidget* parent, const QString& text, Worker& worker, QString* error)>;
// The busy window's runner unless a test sets another; an empty runner restores it.
void setRunner(Runner runner);

// True when records were added (the window then lists its table again).
bool importBusinessUnits(QWidget* parent);
void exportBusinessUnits(QWidget* parent);
bool importContacts(QWidget* parent);
void exportContacts(QWidget* parent);

// Runs an export worker for a target chosen with SpreadsheetDialogs and reports its end.
bool runExport(QWidget* parent, const QString& busyText, Worker& worker, const QString& what);

} // namespace SheetTransfers
