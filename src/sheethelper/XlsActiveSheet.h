#pragma once

#include <QByteArray>
#include <QString>

// Which sheet a legacy .xls workbook was showing when it was saved. The workbook stream of the
// compound file starts with the workbook's global records: one BOUNDSHEET per sheet, in tab order,
// and WINDOW1, whose selected tab is the active sheet.
namespace XlsActiveSheet {

struct Choice {
    bool found = false;
    QString name;            // the sheet's name; empty when its name could not be decoded
    int worksheetIndex = -1; // its position among the worksheets (charts and macro sheets left out)
};

// Reads only what it needs and never trusts a count or a position: a damaged or foreign file
// gives found == false.
Choice find(const QByteArray& bytes);

} // namespace XlsActiveSheet
