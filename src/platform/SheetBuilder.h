#pragma once

#include "platform/SheetTexts.h"

// Collects the cells of one sheet as a reader meets them, in any order, and tracks the used range.
class SheetBuilder {
public:
    explicit SheetBuilder(const QString& name = QString()) { m_sheet.sheetName = name; }

    void setText(int row, int column, const QString& text);
    // A cell that holds no value but counts as used (a formatted blank cell).
    void markUsed(int row, int column);
    bool isEmpty() const { return m_sheet.rowCount == 0; }
    const QString& name() const { return m_sheet.sheetName; }
    SheetTexts take() { return std::move(m_sheet); }

    static QString numberText(double value);
    static QString dateText(int year, int month, int day, int hour, int minute, double second);

private:
    SheetTexts m_sheet;
};
