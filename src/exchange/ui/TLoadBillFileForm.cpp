#include "exchange/ui/TLoadBillFileForm.h"

#include "exchange/BillDefineFile.h"
#include "exchange/BillImport.h"
#include "platform/ui/Prompter.h"
#include "store/BillStore.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QLabel* display(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(260);
    return l;
}
} // namespace

TLoadBillFileForm::TLoadBillFileForm(BillStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
    setWindowTitle(QStringLiteral("导入票据"));
    setModal(true);

    fileNameLabel = display(this);
    fileNameLabel->setWordWrap(true);
    chooseFileButton = new QToolButton(this);
    chooseFileButton->setText(QStringLiteral("..."));
    fileTypeLabel = display(this);
    fileBillNameLabel = display(this);
    typeSelector = new QComboBox(this);
    typeSelector->setEditable(true);
    // A typed name becomes a type only when the list is left, never by Enter.
    typeSelector->setInsertPolicy(QComboBox::NoInsert);
    typeSelector->setCompleter(nullptr);
    billNameEdit = new QLineEdit(this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("导入文件名"), this), 0, 0);
    grid->addWidget(fileNameLabel, 0, 1);
    grid->addWidget(chooseFileButton, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入前票据种类"), this), 1, 0);
    grid->addWidget(fileTypeLabel, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入前票据名称"), this), 2, 0);
    grid->addWidget(fileBillNameLabel, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入后票据种类"), this), 3, 0);
    grid->addWidget(typeSelector, 3, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入后票据名称"), this), 4, 0);
    grid->addWidget(billNameEdit, 4, 1, 1, 2);

    okButton = new QPushButton(QStringLiteral("确 认"), this);
    cancelButton = new QPushButton(QStringLiteral("取 消"), this);
    okButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(chooseFileButton, &QToolButton::clicked, this, &TLoadBillFileForm::chooseFile);
    connect(typeSelector, &QComboBox::currentIndexChanged, this, &TLoadBillFileForm::updateOkButton);
    connect(typeSelector, &QComboBox::editTextChanged, this, &TLoadBillFileForm::updateOkButton);
    connect(billNameEdit, &QLineEdit::textChanged, this, &TLoadBillFileForm::updateOkButton);
    connect(okButton, &QPushButton::clicked, this, &TLoadBillFileForm::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &TLoadBillFileForm::reject);
    typeSelector->installEventFilter(this);
    typeSelector->lineEdit()->installEventFilter(this);
}

void TLoadBillFileForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        startEmpty();
}

void TLoadBillFileForm::startEmpty() {
    const QSignalBlocker blockName(billNameEdit);
    const QSignalBlocker blockTypes(typeSelector);
    billNameEdit->clear();
    fileTypeLabel->clear();
    fileBillNameLabel->clear();
    fileNameLabel->clear();
    m_pendingPicture.clear();
    m_lastValidType.clear();
    m_billNames.clear();
    m_loaded = false;
    m_chosenType = -1;
    m_replaced = false;
    fillTypeList();
    typeSelector->setCurrentIndex(0);
    okButton->setEnabled(false);
    typeSelector->setEnabled(false);
}

void TLoadBillFileForm::fillTypeList() {
    const QSignalBlocker block(typeSelector);
    typeSelector->clear();
    typeSelector->addItems(m_store.typeNames());
}

void TLoadBillFileForm::loadBillNames(int typeIndex) {
    m_billNames = m_store.billNamesOfType(typeIndex);
}

void TLoadBillFileForm::chooseFile() {
    const QString path = Prompter::instance().openFile(this, {QStringLiteral("导入票据定义文件"),
                                                              QStringLiteral("票据定义文件(*.BDF *.bdf)"),
                                                              QStringLiteral("BDF"), QString()});
    if (path.isEmpty())
        return;
    if (!BillDefineFile::check(path)) {
        Prompter::instance().notice(this, BillDefineFile::invalidFileMessage());
        return;
    }
    QString error;
    if (!BillDefineFile::read(path, &error)) {
        if (error == BillDefineFile::invalidFileMessage())
            Prompter::instance().notice(this, error);
        else
            Prompter::instance().error(this, error);
        return;
    }
    guarded(this, [&] {
        const QSignalBlocker blockName(billNameEdit);
        const QSignalBlocker blockTypes(typeSelector);
        fileNameLabel->setText(path);
        const BillImport::WorkingPage page = BillImport::workingPage();
        billNameEdit->setText(page.billName);
        // The picture of a file chosen before is nobody's now.
        if (m_pendingPicture != page.picturePath)
            deletePendingPicture();
        m_pendingPicture = page.picturePath;
        m_store.reloadTypeNames();
        fillTypeList();
        int t = page.typeIndex;
        if (t < 0 || t >= typeSelector->count()) {
            t = 0;
            BillImport::setWorkingTypeIndex(0);
        }
        typeSelector->setCurrentIndex(t);
        fileTypeLabel->setText(typeSelector->currentText());
        fileBillNameLabel->setText(billNameEdit->text());
        billNameEdit->setFocus();
        billNameEdit->deselect();
        billNameEdit->setCursorPosition(billNameEdit->text().size());
        loadBillNames(t);
        m_lastValidType = typeSelector->currentText();
        typeSelector->setEnabled(true);
        m_loaded = true;
        okButton->setEnabled(!m_billNames.contains(billNameEdit->text()));
    });
}

void TLoadBillFileForm::updateOkButton() {
    // Without a loaded file there is nothing to import.
    okButton->setEnabled(m_loaded);
}

void TLoadBillFileForm::checkTypedType() {
    if (!m_loaded)
        return;
    guarded(this, [&] {
        QString text = typeSelector->currentText();
        if (text.isEmpty()) {
            text = m_lastValidType;
            typeSelector->setEditText(text);
        }
        int index = m_store.typeIndexOf(text);
        if (index < 0) {
            index = m_store.addType(text);
            fillTypeList();
        }
        if (typeSelector->currentIndex() != index) {
            const QSignalBlocker block(typeSelector);
            typeSelector->setCurrentIndex(index);
        }
        m_lastValidType = typeSelector->currentText();
    });
}

void TLoadBillFileForm::confirm() {
    if (!m_loaded)
        return;
    // Leaving the list for the button resolves it; a click that took no focus must do the same.
    if (typeSelector->currentText() != m_lastValidType || m_store.typeIndexOf(m_lastValidType) < 0)
        checkTypedType();
    const QString name = billNameEdit->text();
    if (name.isEmpty()) {
        Prompter::instance().notice(this, QStringLiteral("票据名称不能为空 ！\n请重新输入..."));
        okButton->setEnabled(false);
        return;
    }
    const int type = m_store.typeIndexOf(typeSelector->currentText());
    if (type < 0)
        return;
    bool created = false;
    guarded(this, [&] {
        loadBillNames(type);
        if (m_billNames.contains(name) &&
            !Prompter::instance().question(this, QStringLiteral("有相同的票据名称 ！需要覆盖吗？"))) {
            okButton->setEnabled(false);
            return;
        }
        m_replaced = BillImport::createBill(m_store, type, name);
        m_chosenType = type;
        // The picture belongs to the new bill now.
        m_pendingPicture.clear();
        created = true;
    });
    if (created)
        accept();
}

void TLoadBillFileForm::done(int result) {
    if (result != QDialog::Accepted)
        dropUnusedPicture();
    QDialog::done(result);
}

void TLoadBillFileForm::dropUnusedPicture() {
    deletePendingPicture();
}

void TLoadBillFileForm::deletePendingPicture() {
    if (!m_pendingPicture.isEmpty() && QFile::exists(m_pendingPicture))
        QFile::remove(m_pendingPicture);
    m_pendingPicture.clear();
}

bool TLoadBillFileForm::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == typeSelector || watched == typeSelector->lineEdit()) &&
        event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Focus moving into the list's own popup or edit field does not leave the list.
        QWidget* next = QApplication::focusWidget();
        const bool inside = next && (next == typeSelector || typeSelector->isAncestorOf(next));
        if (reason != Qt::PopupFocusReason && !inside)
            checkTypedType();
    }
    return QDialog::eventFilter(watched, event);
}
