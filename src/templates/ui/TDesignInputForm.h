#pragma once

#include "templates/PageParameters.h"

#include <QDialog>

class BillStore;
class ParameterGrid;
class QComboBox;
class QLineEdit;

// The page parameters of a template about to be designed: collected for a new definition file,
// confirmed for an existing one. Writes the working template's page row when confirmed.
class TDesignInputForm : public QDialog {
    Q_OBJECT
public:
    explicit TDesignInputForm(BillStore& store, QWidget* parent = nullptr);

    ParameterGrid* pageGrid = nullptr;
    QLineEdit* pageTextEditor = nullptr;
    QComboBox* pageChoiceEditor = nullptr;

    bool storedPicture() const { return m_storedPicture; }

    void editPageRow(int row);
    void confirm(); // 确  认
    void leave();   // 退  出

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillDefaults();
    void choosePicture();
    void textCommitted(int row, const QString& before, const QString& text);

    BillStore& m_store;
    PageParameters m_page;
    bool m_storedPicture = false;
};
