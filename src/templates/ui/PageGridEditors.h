#pragma once

#include <QStringList>

class ParameterGrid;

// Opens the editor that a double click on a row of a page-parameter grid asks for, the same in
// the new-template dialog and the designer: the type list, text and number editors, the print
// direction list, and the check marks, which toggle at once. The picture row is the caller's own.
// Returns true when a check mark was toggled.
bool openPageCellEditor(ParameterGrid* grid, int row, const QStringList& typeNames);
