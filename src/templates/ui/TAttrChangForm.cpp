#include "templates/ui/TAttrChangForm.h"

#include "platform/ui/Prompter.h"
#include "templates/RenderEngine.h"
#include "templates/TextAlignment.h"
#include "templates/ui/ParameterGrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
enum Row { LeftRow, TopRow, WidthRow, HeightRow, FontRow, SpacingRow, AlignmentRow };
}

TAttrChangForm::TAttrChangForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("组修改子项参数"));
    setModal(true);
    setFixedSize(439, 232);
    auto* layout = new QVBoxLayout(this);
    changeGrid = new ParameterGrid(this, 2);
    changeGrid->setObjectName(QStringLiteral("changeGrid"));
    layout->addWidget(changeGrid);
    textEditor = changeGrid->edit();
    choiceEditor = changeGrid->combo();
    textEditor->setObjectName(QStringLiteral("textEditor"));
    choiceEditor->setObjectName(QStringLiteral("choiceEditor"));
    changeGrid->setLabels(
        QString::fromUtf8("横向位置|纵向位置|宽度|高度|字体|字间距|打印对齐").split(QLatin1Char('|')));

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name, const QString& text,
                                        void (TAttrChangForm::*slot)()) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button("okButton", QStringLiteral("确 认"), &TAttrChangForm::confirm);
    button("copyButton", QStringLiteral("拷 贝"), &TAttrChangForm::copyItems);
    button("deleteButton", QStringLiteral("删 除"), &TAttrChangForm::deleteItems);
    button("cancelButton", QStringLiteral("取 消"), &TAttrChangForm::cancel);
    layout->addLayout(buttons);

    connect(changeGrid, &ParameterGrid::valueDoubleClicked, this, &TAttrChangForm::editRow);
    connect(changeGrid, &ParameterGrid::textCommitted, this,
            [this](int row, const QString&, const QString& text) { changeGrid->setValue(row, text); });
    connect(changeGrid, &ParameterGrid::entryChosen, this,
            [this](int row, int, const QString& text) { changeGrid->setValue(row, text); });
}

void TAttrChangForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    reset();
}

void TAttrChangForm::reset() {
    changeGrid->hideEditors();
    textEditor->clear();
    choiceEditor->clear();
    changeGrid->clearValues();
    changeGrid->setCurrentCell(0, 1);
    m_change = CanvasEditing::GroupChange();
}

void TAttrChangForm::editRow(int row) {
    switch (row) {
    case FontRow: {
        const std::optional<QFont> font = Prompter::instance().pickFont(this, m_lastFont);
        if (font) {
            m_lastFont = *font;
            changeGrid->setValue(row, FontToText(*font));
        }
        break;
    }
    case AlignmentRow: {
        const QStringList entries = TextAlignment::texts() << QString();
        const int current = std::max<int>(0, entries.indexOf(changeGrid->value(row)));
        changeGrid->openComboEditor(row, entries, current, false);
        break;
    }
    default:
        changeGrid->openTextEditor(row, ParameterGrid::Keys::Digits);
        break;
    }
}

void TAttrChangForm::confirm() {
    changeGrid->hideEditors();
    m_change.action = CanvasEditing::GroupChange::Change;
    m_change.values.clear();
    for (int r = 0; r < changeGrid->rowCount(); ++r)
        m_change.values << changeGrid->value(r);
    const QString alignment = changeGrid->value(AlignmentRow);
    m_change.values[AlignmentRow] =
        alignment.isEmpty() ? QString() : QString::number(TextAlignment::texts().indexOf(alignment));
    accept();
}

void TAttrChangForm::cancel() {
    reject();
}

void TAttrChangForm::copyItems() {
    m_change.action = CanvasEditing::GroupChange::Copy;
    accept();
}

void TAttrChangForm::deleteItems() {
    if (!Prompter::instance().question(this, QStringLiteral("确认要删除选择的所有的子项目吗？"))) {
        reject();
        return;
    }
    m_change.action = CanvasEditing::GroupChange::Delete;
    accept();
}
