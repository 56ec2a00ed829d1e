#include "reference/ui/TAddLinkManForm.h"

#include "reference/RecordValues.h"
#include "reference/ui/ReferenceFields.h"

TAddLinkManForm::TAddLinkManForm(QWidget* parent)
    : RecordAddDialog(QStringLiteral("新加联系人"), QStringLiteral("联系人"), ReferenceFields::contact(),
                      parent) {}

bool TAddLinkManForm::QuickAddContact(const QString& text, QStringList& values) {
    recordFields->reset();
    recordFields->setText(0, text);
    if (exec() != QDialog::Accepted)
        return false;
    RecordValues::store(values, recordFields->texts());
    return true;
}
