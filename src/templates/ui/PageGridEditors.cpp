#include "templates/ui/PageGridEditors.h"

#include "templates/PageParameters.h"
#include "templates/ui/ParameterGrid.h"

bool openPageCellEditor(ParameterGrid* grid, int row, const QStringList& typeNames) {
    using Row = PageParameters::GridRow;
    switch (row) {
    case Row::TypeRow:
        grid->openComboEditor(row, typeNames, std::max<int>(0, typeNames.indexOf(grid->value(row))), true);
        return false;
    case Row::NameRow:
        grid->openTextEditor(row, ParameterGrid::Keys::Any);
        return false;
    case Row::WidthRow:
    case Row::LengthRow:
        grid->openTextEditor(row, ParameterGrid::Keys::Digits);
        return false;
    case Row::LeftMarginRow:
    case Row::TopMarginRow:
        grid->openTextEditor(row, ParameterGrid::Keys::SignedDigits);
        return false;
    case Row::DirectionRow: {
        const QStringList entries = PageParameters::directionTexts();
        grid->openComboEditor(row, entries, std::max<int>(0, entries.indexOf(grid->value(row))), true);
        return false;
    }
    case Row::CurrencyRow:
    case Row::BackgroundRow:
        grid->setValue(row, grid->value(row).isEmpty() ? PageParameters::checkText() : QString());
        return true;
    default:
        return false;
    }
}
