#pragma once

#include <QDialog>
#include <QStringList>

class BillStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// Imports a bill definition file as a bill: the file is read into the working template, the
// operator chooses the type and name, and the bill is created from the working template.
class TLoadBillFileForm : public QDialog {
    Q_OBJECT
public:
    explicit TLoadBillFileForm(BillStore& store, QWidget* parent = nullptr);

    // After closing with OK: the type the bill went into, and whether it replaced a bill of the
    // same type and name.
    int chosenTypeIndex() const { return m_chosenType; }
    bool replacedBill() const { return m_replaced; }
    // The picture file read from the loaded file while no bill owns it yet.
    const QString& pendingPicture() const { return m_pendingPicture; }

    QLabel* fileTypeLabel = nullptr;     // type in the file
    QLabel* fileBillNameLabel = nullptr; // name in the file
    QLabel* fileNameLabel = nullptr;     // file name
    QToolButton* chooseFileButton = nullptr;
    QComboBox* typeSelector = nullptr;
    QLineEdit* billNameEdit = nullptr;
    QPushButton* okButton = nullptr;     // "确 认"
    QPushButton* cancelButton = nullptr; // "取 消"

    void chooseFile();
    void updateOkButton();
    void checkTypedType();
    void confirm();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startEmpty();
    void dropUnusedPicture();
    void fillTypeList();
    void loadBillNames(int typeIndex);
    void deletePendingPicture();

    BillStore& m_store;
    bool m_loaded = false;
    QString m_pendingPicture;
    QString m_lastValidType;
    QStringList m_billNames;
    int m_chosenType = -1;
    bool m_replaced = false;
};
