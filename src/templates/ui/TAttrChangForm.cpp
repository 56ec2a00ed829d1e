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
    StringGrid = new ParameterGrid(this, 2);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    layout->addWidget(StringGrid);
    Edit1 = StringGrid->edit();
    ComboBox1 = StringGrid->combo();
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    StringGrid->setLabels(
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
    button("BitBtn1", QStringLiteral("确 认"), &TAttrChangForm::BitBtn1Click);
    button("BitBtn3", QStringLiteral("拷 贝"), &TAttrChangForm::BitBtn3Click);
    button("BitBtn4", QStringLiteral("删 除"), &TAttrChangForm::BitBtn4Click);
    button("BitBtn2", QStringLiteral("取 消"), &TAttrChangForm::BitBtn2Click);
    layout->addLayout(buttons);

    connect(StringGrid, &ParameterGrid::valueDoubleClicked, this, &TAttrChangForm::StringGridDblClick);
    connect(StringGrid, &ParameterGrid::textCommitted, this,
            [this](int row, const QString&, const QString& text) { StringGrid->setValue(row, text); });
    connect(StringGrid, &ParameterGrid::entryChosen, this,
            [this](int row, int, const QString& text) { StringGrid->setValue(row, text); });
}

void TAttrChangForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TAttrChangForm::FormShow() {
    StringGrid->hideEditors();
    Edit1->clear();
    ComboBox1->clear();
    StringGrid->clearValues();
    StringGrid->setCurrentCell(0, 1);
    m_change = CanvasEditing::GroupChange();
}

void TAttrChangForm::StringGridDblClick(int row) {
    switch (row) {
    case FontRow: {
        const std::optional<QFont> font = Prompter::instance().pickFont(this, m_lastFont);
        if (font) {
            m_lastFont = *font;
            StringGrid->setValue(row, FontToText(*font));
        }
        break;
    }
    case AlignmentRow: {
        const QStringList entries = TextAlignment::texts() << QString();
        const int current = std::max<int>(0, entries.indexOf(StringGrid->value(row)));
        StringGrid->openComboEditor(row, entries, current, false);
        break;
    }
    default:
        StringGrid->openTextEditor(row, ParameterGrid::Keys::Digits);
        break;
    }
}

void TAttrChangForm::BitBtn1Click() {
    StringGrid->hideEditors();
    m_change.action = CanvasEditing::GroupChange::Change;
    m_change.values.clear();
    for (int r = 0; r < StringGrid->rowCount(); ++r)
        m_change.values << StringGrid->value(r);
    const QString alignment = StringGrid->value(AlignmentRow);
    m_change.values[AlignmentRow] =
        alignment.isEmpty() ? QString() : QString::number(TextAlignment::texts().indexOf(alignment));
    accept();
}

void TAttrChangForm::BitBtn2Click() {
    reject();
}

void TAttrChangForm::BitBtn3Click() {
    m_change.action = CanvasEditing::GroupChange::Copy;
    accept();
}

void TAttrChangForm::BitBtn4Click() {
    if (!Prompter::instance().question(this, QStringLiteral("确认要删除选择的所有的子项目吗？"))) {
        reject();
        return;
    }
    m_change.action = CanvasEditing::GroupChange::Delete;
    accept();
}
