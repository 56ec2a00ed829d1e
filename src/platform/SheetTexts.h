#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The used range of one sheet, from A1 to the last used row and column, as cell texts. Rows are
// stored only up to their last used cell; cell() gives "" for everything else.
struct SheetTexts {
    QString sheetName;
    int rowCount = 0;
    int columnCount = 0;
    QList<QStringList> rows; // rows[r] is sheet row r + 1

    // 0-based row and column.
    QString cell(int row, int column) const {
        if (row < 0 || row >= rows.size() || column < 0 || column >= rows.at(row).size())
            return {};
        return rows.at(row).at(column);
    }
};
