#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class QPushButton;
class QTableWidget;

// "查询结果": the records a manager's query found. The caller fills it before showing it.
class TInfoShowForm : public QDialog {
    Q_OBJECT
public:
    explicit TInfoShowForm(QWidget* parent = nullptr);

    QTableWidget* recordList = nullptr;
    QPushButton* exitButton = nullptr; // "退  出"

    void setRecords(const QStringList& headers, const QList<QStringList>& rows);

protected:
    void showEvent(QShowEvent* event) override;
};
