#pragma once

#include "reference/ui/FieldPanel.h"

#include <QDialog>

class QPushButton;

// A dialog that appends one record to a reference table, asking first when its identification
// code is already taken (in any letter case).
class RecordAddDialog : public QDialog {
    Q_OBJECT
public:
    RecordAddDialog(const QString& caption, const QString& table, const QList<FieldPanel::Field>& fields,
                    QWidget* parent);

    FieldPanel* recordFields = nullptr;
    QPushButton* okButton = nullptr;     // "确 认"
    QPushButton* cancelButton = nullptr; // "取 消"

    void confirm();
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_table;
};
