#pragma once

#include "platform/SheetStreamDecoder.h"
#include "platform/SheetTexts.h"

#include <QString>

#include <atomic>
#include <stdexcept>

// Reads workbooks without any spreadsheet application: .xlsx, .ods and legacy .xls, told apart by
// content. The workbook is parsed by the helper program tarvel-sheet in a process of its own, run
// under a time and a memory limit with no descriptor of ours but the file and a pipe; a workbook
// that crashes, hangs or exhausts the helper is reported as damaged and harms nothing here.
namespace SpreadsheetReader {

struct Options {
    // The helper program; empty for the installed one (see helperPath()).
    QString helper;
    // The helper is stopped when it sends nothing for this long, or has used this much processor
    // time, or would need more memory (address space) than this (0: no limit).
    int silenceSeconds = 120;
    int processorSeconds = 300;
    qint64 memoryBytes = qint64(1) << 30;
    // Polled while reading; when it becomes true the helper is stopped and Cancelled thrown.
    const std::atomic_bool* cancel = nullptr;
};

// The reading was cancelled through Options::cancel.
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("已取消") {}
};

// The helper beside this executable, or in ../libexec/tarvel/ relative to it.
QString helperPath();

// The message for a workbook that cannot be read.
QString damagedMessage(const QString& path);

// Streams the sheet that was active when the workbook was saved into sink, row by row, while the
// helper reads it (see SheetRowSink). Numbers read as their shortest text (up to 15 significant
// digits), truth values as TRUE/FALSE, dates as yyyy-MM-dd. Throws SpreadsheetError when the file
// cannot be read, is not a regular file, is not a workbook or is damaged, or when its sheet is
// larger than a workbook can be (1,048,576 rows, 16,384 columns); Cancelled when cancelled; and
// whatever sink throws.
void readRows(const QString& path, SheetRowSink& sink, const Options& options = {});

// The same sheet collected in memory.
SheetTexts readActiveSheet(const QString& path, const Options& options = {});

} // namespace SpreadsheetReader
