#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;

// A relation of two names: a name item and one of its record's columns, or a month item and a
// day item. The second list depends on the first choice.
class TYearConnectForm : public QDialog {
    Q_OBJECT
public:
    explicit TYearConnectForm(QWidget* parent = nullptr);

    QLabel* firstLabel = nullptr;
    QLabel* secondLabel = nullptr;
    QComboBox* firstSelector = nullptr;
    QComboBox* secondSelector = nullptr;

    // The first list with its first entry selected; second(name) gives the second list for a name.
    void setLists(const QStringList& first, std::function<QStringList(const QString&)> second);
    // "first-second" after the dialog closed with OK.
    QString relation() const;

    void fillSecondList();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<QStringList(const QString&)> m_second;
};
