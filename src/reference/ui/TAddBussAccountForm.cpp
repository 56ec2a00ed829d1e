#include "reference/ui/TAddBussAccountForm.h"

#include "reference/RecordValues.h"
#include "reference/ui/ReferenceFields.h"

TAddBussAccountForm::TAddBussAccountForm(QWidget* parent)
    : RecordAddDialog(QStringLiteral("新加业务单位"), QStringLiteral("业务单位"),
                      ReferenceFields::businessUnit(), parent) {}

bool TAddBussAccountForm::QuickAddBusinessUnit(const QString& text, QStringList& values) {
    recordFields->setTexts({text});
    if (exec() != QDialog::Accepted)
        return false;
    RecordValues::store(values, recordFields->texts().mid(0, 5));
    return true;
}
