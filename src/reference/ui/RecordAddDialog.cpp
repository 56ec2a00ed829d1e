#include "reference/ui/RecordAddDialog.h"

#include "platform/ui/Prompter.h"
#include "reference/ReferenceTable.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

RecordAddDialog::RecordAddDialog(const QString& caption, const QString& table,
                                 const QList<FieldPanel::Field>& fields, QWidget* parent)
    : QDialog(parent), m_table(table) {
    setWindowTitle(caption);
    recordFields = new FieldPanel(fields, this);
    recordFields->setTitle(QString());
    okButton = new QPushButton(QStringLiteral("确 认"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取 消"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(recordFields);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    connect(recordFields, &FieldPanel::changed, this, [this] { okButton->setEnabled(true); });
    connect(okButton, &QPushButton::clicked, this, &RecordAddDialog::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void RecordAddDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    okButton->setEnabled(false);
    cancelButton->setEnabled(true);
    recordFields->focusFirst();
}

void RecordAddDialog::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // Showing hands the focus to the first edit as if by Tab, which selects its whole text; a
    // name given by the caller is to be continued, not replaced by the first key.
    if (visible)
        recordFields->focusFirst();
}

void RecordAddDialog::confirm() {
    guarded(this, [this] {
        ReferenceTable table(m_table);
        const QStringList texts = recordFields->texts();
        const QString codeColumn = QStringLiteral("识别码");
        const QString code = texts.value(recordFields->columns().indexOf(codeColumn));
        if (!code.isEmpty() && table.containsIgnoringCase(codeColumn, code) &&
            Prompter::instance().question(this, QStringLiteral("存在相同的识别码，需要修改吗 ？")))
            return;
        table.append(recordFields->columns(), texts);
        accept();
    });
}
