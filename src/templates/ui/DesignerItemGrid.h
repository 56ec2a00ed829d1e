#pragma once

#include "templates/ItemRelations.h"

#include <QObject>

class BillTemplate;
class ParameterGrid;
class TemplateCanvas;
class QWidget;

// The designer's grid of the selected item's parameters: shows them, opens on a double-click the
// editor a row takes (text, drop-down, the font dialog, the formula and relation windows, or a
// toggle at once) and stores what was entered into the item. A name must differ from the other
// items' names and from the store's own columns; a frame must stay inside the picture.
class DesignerItemGrid : public QObject {
    Q_OBJECT
public:
    // The grid shows items of tpl; positions are checked against the canvas's picture.
    DesignerItemGrid(QWidget* window, ParameterGrid* grid, BillTemplate& tpl, const TemplateCanvas& canvas);

    // The reference columns that relations may name.
    void setReferenceColumns(const ItemRelations::ReferenceColumns& columns) { m_columns = columns; }
    // Shows the item's parameters (-1: none, the grid is empty).
    void showItem(int index);
    // A double-click on a row's value: opens its editor, or toggles the flag at once.
    void editRow(int row);

signals:
    // The shown item changed; renamed when its name did.
    void itemChanged(bool renamed);

private:
    void refill() { showItem(m_item); }
    void committed(int row, const QString& text);
    void chosen(int row, int index, const QString& text);
    void editFormula();
    void editRelation();

    QWidget* m_window;
    ParameterGrid* m_grid;
    BillTemplate& m_tpl;
    const TemplateCanvas& m_canvas;
    ItemRelations::ReferenceColumns m_columns;
    int m_item = -1;
};
