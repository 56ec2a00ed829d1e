#pragma once

#include "reference/ui/RecordAddDialog.h"

// "新加联系人": adds a contact the bill filling window did not find.
class TAddLinkManForm : public RecordAddDialog {
    Q_OBJECT
public:
    explicit TAddLinkManForm(QWidget* parent = nullptr);

    // Shows the dialog, reset, with text as the name. true when a contact was added: values[0..18]
    // hold its 19 texts in table order, the code included; false otherwise, values untouched.
    bool QuickAddContact(const QString& text, QStringList& values);
};
