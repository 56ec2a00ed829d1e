#include "templates/ui/DesignerItemGrid.h"

#include "platform/ui/Prompter.h"
#include "store/ColumnNames.h"
#include "templates/BillTemplate.h"
#include "templates/CanvasEditing.h"
#include "templates/RenderEngine.h"
#include "templates/TemplateStore.h"
#include "templates/TextAlignment.h"
#include "templates/ui/ParameterGrid.h"
#include "templates/ui/TSetCalWayForm.h"
#include "templates/ui/TYearConnectForm.h"
#include "templates/ui/TemplateCanvas.h"

#include <QLabel>

namespace {

enum ItemRow {
    NameRow,
    LeftRow,
    TopRow,
    WidthRow,
    HeightRow,
    FontRow,
    SpacingRow,
    AlignmentRow,
    PrintedRow,
    TypeRow,
    ShowInputRow,
    CalcRow,
    RelationRow,
    InterlockRow,
    ShowTitleRow,
    SuffixRow,
    QueryRow,
    StatisticsRow,
};

QString check(bool set) {
    return set ? PageParameters::checkText() : QString();
}

} // namespace

DesignerItemGrid::DesignerItemGrid(QWidget* window, ParameterGrid* grid, BillTemplate& tpl,
                                   const TemplateCanvas& canvas)
    : QObject(window), m_window(window), m_grid(grid), m_tpl(tpl), m_canvas(canvas) {
    connect(m_grid, &ParameterGrid::valueDoubleClicked, this, &DesignerItemGrid::editRow);
    connect(m_grid, &ParameterGrid::textCommitted, this,
            [this](int row, const QString&, const QString& text) { committed(row, text); });
    connect(m_grid, &ParameterGrid::entryChosen, this, &DesignerItemGrid::chosen);
}

void DesignerItemGrid::showItem(int index) {
    m_item = index >= 0 && index < m_tpl.count() ? index : -1;
    if (m_item < 0) {
        m_grid->clearValues();
        return;
    }
    const TemplateItem& it = m_tpl.items[m_item];
    const QStringList values{it.name,
                             QString::number(it.left),
                             QString::number(it.top),
                             QString::number(it.width),
                             QString::number(it.height),
                             it.font,
                             QString::number(it.spacing),
                             TextAlignment::text(it.alignment),
                             check(it.printed),
                             ItemTypes::name(ItemTypes::index(it.type)),
                             check(it.showInput),
                             it.calcMethod,
                             it.relation,
                             QString::number(it.interlockGroup),
                             check(it.showTitle),
                             check(it.printSuffix),
                             check(it.query),
                             check(it.statistics)};
    for (int r = 0; r < values.size(); ++r)
        m_grid->setValue(r, values.at(r));
}

void DesignerItemGrid::editRow(int row) {
    if (m_item < 0)
        return;
    TemplateItem& it = m_tpl.items[m_item];
    switch (row) {
    case NameRow:
        m_grid->openTextEditor(row, ParameterGrid::Keys::Any);
        return;
    case LeftRow:
    case TopRow:
    case WidthRow:
    case HeightRow:
    case SpacingRow:
        m_grid->openTextEditor(row, ParameterGrid::Keys::Digits4);
        return;
    case FontRow: {
        // The dialog starts from this item's font alone, never from an earlier choice.
        QFont initial;
        if (!guarded(m_window, [&] { initial = FontOfText(it.font); }))
            return;
        const std::optional<QFont> font = Prompter::instance().pickFont(m_window, initial);
        if (!font)
            return;
        const QString text = FontTextAfterPick(it.font, *font);
        if (text == it.font)
            return;
        it.font = text;
        break;
    }
    case AlignmentRow:
        m_grid->openComboEditor(row, TextAlignment::texts(), it.alignment < 9 ? it.alignment : 0, false);
        return;
    case PrintedRow:
        it.printed = !it.printed;
        break;
    case ShowInputRow:
        it.showInput = !it.showInput;
        break;
    case ShowTitleRow:
        it.showTitle = !it.showTitle;
        break;
    case QueryRow:
        it.query = !it.query;
        break;
    case SuffixRow:
        it.printSuffix = !it.printSuffix;
        break;
    case StatisticsRow:
        // Only numbers can be summed.
        it.statistics = !it.statistics && ItemTypes::isSummable(it.type);
        break;
    case TypeRow:
        m_grid->openComboEditor(row, ItemTypes::names(), std::min<int>(ItemTypes::index(it.type), 25), false);
        return;
    case CalcRow:
        editFormula();
        return;
    case RelationRow:
        editRelation();
        return;
    case InterlockRow: {
        QStringList groups;
        for (int g = 0; g <= 255; ++g)
            groups << QString::number(g);
        m_grid->openComboEditor(row, groups, it.interlockGroup, false);
        return;
    }
    default:
        return;
    }
    emit itemChanged(false);
}

void DesignerItemGrid::committed(int row, const QString& text) {
    if (m_item < 0)
        return;
    TemplateItem& it = m_tpl.items[m_item];
    if (text.isEmpty()) {
        refill();
        return;
    }
    if (row == NameRow) {
        QStringList others = m_tpl.names();
        others.removeAt(m_item);
        const ColumnNames::Conflict conflict = ColumnNames::conflictOf(others, text);
        if (conflict != ColumnNames::Conflict::None) {
            Prompter::instance().warning(m_window, conflict == ColumnNames::Conflict::Reserved
                                                       ? ColumnNames::reservedMessage(text)
                                                       : QStringLiteral("存在相同的子项名称 ！"));
            refill();
            return;
        }
        const QString old = it.name;
        it.name = text;
        ForgetItemName(m_tpl, old);
        emit itemChanged(true);
        return;
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) {
        refill();
        return;
    }
    using CanvasEditing::Field;
    const Field field = row == LeftRow     ? Field::Left
                        : row == TopRow    ? Field::Top
                        : row == WidthRow  ? Field::Width
                        : row == HeightRow ? Field::Height
                                           : Field::Spacing;
    // A frame that would leave the picture is not taken.
    if (!CanvasEditing::setFieldWithin(it, field, value, m_canvas.imageSize(), m_canvas.dpi())) {
        refill();
        return;
    }
    emit itemChanged(false);
}

void DesignerItemGrid::chosen(int row, int index, const QString& text) {
    if (m_item < 0 || index < 0)
        return;
    TemplateItem& it = m_tpl.items[m_item];
    switch (row) {
    case AlignmentRow:
        it.alignment = static_cast<quint8>(index);
        break;
    case TypeRow:
        it.type = static_cast<ItemType>(index);
        it.relation.clear();
        it.calcMethod.clear();
        it.printSuffix = false;
        it.statistics = false;
        ForgetItemName(m_tpl, it.name);
        break;
    case RelationRow:
        it.relation = text;
        break;
    case InterlockRow:
        it.interlockGroup = static_cast<quint8>(index);
        break;
    default:
        return;
    }
    emit itemChanged(false);
}

void DesignerItemGrid::editFormula() {
    TemplateItem& it = m_tpl.items[m_item];
    if (!ItemRelations::takesFormula(it))
        return;
    const QStringList entries = ItemRelations::formulaEntries(m_tpl, m_item);
    if (entries.isEmpty())
        return;
    TSetCalWayForm form(m_window);
    form.setFormula(m_grid->value(CalcRow), entries);
    if (form.exec() != QDialog::Accepted)
        return;
    it.calcMethod = form.formula();
    emit itemChanged(false);
}

void DesignerItemGrid::editRelation() {
    TemplateItem& it = m_tpl.items[m_item];
    const ItemRelations::RelationOffer offer = ItemRelations::relationOffer(m_tpl, m_item, m_columns);
    switch (offer.editor) {
    case ItemRelations::Editor::None:
        return;
    case ItemRelations::Editor::DropDown: {
        const QStringList entries = offer.entries + QStringList{QString()};
        m_grid->openComboEditor(RelationRow, entries, entries.indexOf(it.relation), false);
        return;
    }
    case ItemRelations::Editor::TextPair:
    case ItemRelations::Editor::YearPair:
        break;
    }
    const QStringList first = ItemRelations::pairFirstEntries(m_tpl, offer.editor);
    if (first.isEmpty())
        return;
    TYearConnectForm form(m_window);
    if (offer.editor == ItemRelations::Editor::TextPair) {
        form.setWindowTitle(QStringLiteral("文本对应关系"));
        form.firstLabel->setText(QStringLiteral("对应的名称："));
        form.secondLabel->setText(QStringLiteral("对应的子名称："));
    } else {
        form.setWindowTitle(QStringLiteral("年与月、日关系"));
        form.firstLabel->setText(QStringLiteral("对应的月名称："));
        form.secondLabel->setText(QStringLiteral("对应的日名称："));
    }
    const ItemRelations::Editor editor = offer.editor;
    form.setLists(first, [this, editor](const QString& name) {
        return ItemRelations::pairSecondEntries(m_tpl, editor, name, m_columns);
    });
    if (form.exec() != QDialog::Accepted)
        return;
    it.relation = form.relation();
    emit itemChanged(false);
}
