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

    StaticText3 = display(this);
    StaticText3->setWordWrap(true);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setText(QStringLiteral("..."));
    StaticText1 = display(this);
    StaticText2 = display(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    // A typed name becomes a type only when the list is left, never by Enter.
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setCompleter(nullptr);
    Edit1 = new QLineEdit(this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("导入文件名"), this), 0, 0);
    grid->addWidget(StaticText3, 0, 1);
    grid->addWidget(SpeedButton1, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入前票据种类"), this), 1, 0);
    grid->addWidget(StaticText1, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入前票据名称"), this), 2, 0);
    grid->addWidget(StaticText2, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入后票据种类"), this), 3, 0);
    grid->addWidget(ComboBox1, 3, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("导入后票据名称"), this), 4, 0);
    grid->addWidget(Edit1, 4, 1, 1, 2);

    BitBtn1 = new QPushButton(QStringLiteral("确 认"), this);
    BitBtn2 = new QPushButton(QStringLiteral("取 消"), this);
    BitBtn1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(SpeedButton1, &QToolButton::clicked, this, &TLoadBillFileForm::SpeedButton1Click);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TLoadBillFileForm::ComboBox1Change);
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TLoadBillFileForm::ComboBox1Change);
    connect(Edit1, &QLineEdit::textChanged, this, &TLoadBillFileForm::ComboBox1Change);
    connect(BitBtn1, &QPushButton::clicked, this, &TLoadBillFileForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TLoadBillFileForm::reject);
    ComboBox1->installEventFilter(this);
    ComboBox1->lineEdit()->installEventFilter(this);
}

void TLoadBillFileForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TLoadBillFileForm::FormShow() {
    const QSignalBlocker blockName(Edit1);
    const QSignalBlocker blockTypes(ComboBox1);
    Edit1->clear();
    StaticText1->clear();
    StaticText2->clear();
    StaticText3->clear();
    m_pendingPicture.clear();
    m_lastValidType.clear();
    m_billNames.clear();
    m_loaded = false;
    m_chosenType = -1;
    m_replaced = false;
    fillTypeList();
    ComboBox1->setCurrentIndex(0);
    BitBtn1->setEnabled(false);
    ComboBox1->setEnabled(false);
}

void TLoadBillFileForm::fillTypeList() {
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItems(m_store.typeNames());
}

void TLoadBillFileForm::loadBillNames(int typeIndex) {
    m_billNames = m_store.billNamesOfType(typeIndex);
}

void TLoadBillFileForm::SpeedButton1Click() {
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
        const QSignalBlocker blockName(Edit1);
        const QSignalBlocker blockTypes(ComboBox1);
        StaticText3->setText(path);
        const BillImport::WorkingPage page = BillImport::workingPage();
        Edit1->setText(page.billName);
        // The picture of a file chosen before is nobody's now.
        if (m_pendingPicture != page.picturePath)
            deletePendingPicture();
        m_pendingPicture = page.picturePath;
        m_store.reloadTypeNames();
        fillTypeList();
        int t = page.typeIndex;
        if (t < 0 || t >= ComboBox1->count()) {
            t = 0;
            BillImport::setWorkingTypeIndex(0);
        }
        ComboBox1->setCurrentIndex(t);
        StaticText1->setText(ComboBox1->currentText());
        StaticText2->setText(Edit1->text());
        Edit1->setFocus();
        Edit1->deselect();
        Edit1->setCursorPosition(Edit1->text().size());
        loadBillNames(t);
        m_lastValidType = ComboBox1->currentText();
        ComboBox1->setEnabled(true);
        m_loaded = true;
        BitBtn1->setEnabled(!m_billNames.contains(Edit1->text()));
    });
}

void TLoadBillFileForm::ComboBox1Change() {
    // Without a loaded file there is nothing to import.
    BitBtn1->setEnabled(m_loaded);
}

void TLoadBillFileForm::ComboBox1Exit() {
    if (!m_loaded)
        return;
    guarded(this, [&] {
        QString text = ComboBox1->currentText();
        if (text.isEmpty()) {
            text = m_lastValidType;
            ComboBox1->setEditText(text);
        }
        int index = m_store.typeIndexOf(text);
        if (index < 0) {
            index = m_store.addType(text);
            fillTypeList();
        }
        if (ComboBox1->currentIndex() != index) {
            const QSignalBlocker block(ComboBox1);
            ComboBox1->setCurrentIndex(index);
        }
        m_lastValidType = ComboBox1->currentText();
    });
}

void TLoadBillFileForm::BitBtn1Click() {
    if (!m_loaded)
        return;
    // Leaving the list for the button resolves it; a click that took no focus must do the same.
    if (ComboBox1->currentText() != m_lastValidType || m_store.typeIndexOf(m_lastValidType) < 0)
        ComboBox1Exit();
    const QString name = Edit1->text();
    if (name.isEmpty()) {
        Prompter::instance().notice(this, QStringLiteral("票据名称不能为空 ！\n请重新输入..."));
        BitBtn1->setEnabled(false);
        return;
    }
    const int type = m_store.typeIndexOf(ComboBox1->currentText());
    if (type < 0)
        return;
    bool created = false;
    guarded(this, [&] {
        loadBillNames(type);
        if (m_billNames.contains(name) &&
            !Prompter::instance().question(this, QStringLiteral("有相同的票据名称 ！需要覆盖吗？"))) {
            BitBtn1->setEnabled(false);
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
        FormCloseQuery();
    QDialog::done(result);
}

void TLoadBillFileForm::FormCloseQuery() {
    deletePendingPicture();
}

void TLoadBillFileForm::deletePendingPicture() {
    if (!m_pendingPicture.isEmpty() && QFile::exists(m_pendingPicture))
        QFile::remove(m_pendingPicture);
    m_pendingPicture.clear();
}

bool TLoadBillFileForm::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == ComboBox1 || watched == ComboBox1->lineEdit()) && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Focus moving into the list's own popup or edit field does not leave the list.
        QWidget* next = QApplication::focusWidget();
        const bool inside = next && (next == ComboBox1 || ComboBox1->isAncestorOf(next));
        if (reason != Qt::PopupFocusReason && !inside)
            ComboBox1Exit();
    }
    return QDialog::eventFilter(watched, event);
}
