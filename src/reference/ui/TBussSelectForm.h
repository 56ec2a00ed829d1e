#pragma once

#include "reference/RecordSearch.h"

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTableWidget;

// Finds the reference records for a text typed into a bill item and lets the operator choose one
// when there are several. Each operation fills names with the table's column names (after the key,
// trimmed) even when nothing is found, and returns 1 with the chosen record in values[0..], or -1
// when there was no candidate or the dialog was cancelled (values untouched). A single candidate is
// taken without showing the dialog. Store failures throw StoreError.
class TBussSelectForm : public QDialog {
    Q_OBJECT
public:
    explicit TBussSelectForm(QWidget* parent = nullptr);

    QTableWidget* candidateList = nullptr;
    QPushButton* okButton = nullptr;     // "确 认"
    QPushButton* cancelButton = nullptr; // "取 消"

    int SelectOwnAccount(QStringList& values, QStringList& names);
    int SelectBusinessUnit(const QString& text, QStringList& values, QStringList& names);
    int SelectContact(const QString& text, QStringList& values, QStringList& names);
    int SelectPurpose(const QString& text, QStringList& values, QStringList& names);

protected:
    void showEvent(QShowEvent* event) override;

private:
    int choose(RecordSearch::Kind kind, const QString& caption, const QString& text, QStringList& values,
               QStringList& names);
    void fitColumns();
};
