#pragma once

#include "reference/ui/RecordAddDialog.h"

// "新加业务单位": adds a business unit the bill filling window did not find.
class TAddBussAccountForm : public RecordAddDialog {
    Q_OBJECT
public:
    explicit TAddBussAccountForm(QWidget* parent = nullptr);

    // Shows the dialog with text as the unit name. true when a unit was added: values[0..4] hold its
    // 单位名称, 银行帐号, 开户银行, 银行地址(省), 银行地址(市) (the code is stored, not returned);
    // false otherwise, values untouched.
    bool QuickAddBusinessUnit(const QString& text, QStringList& values);
};
