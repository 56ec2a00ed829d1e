// The main window's two card lists: the bill types that have bills, and the bills of the chosen
// type, with their mouse rules (a press chooses, a release or double-click opens).
#include "app/ui/CardStyle.h"
#include "app/ui/TMainForm.h"
#include "app/ui/WelcomePanel.h"
#include "platform/ui/Prompter.h"

#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

void TMainForm::fillTypeList() {
    m_store.reloadTypeNames();
    showTypeList(m_store.typesWithBills());
}

void TMainForm::showTypeList(const QStringList& withBills) {
    typeList->setColumnWidth(0, typeList->viewport()->width() > 0 ? typeList->viewport()->width() : 200);
    typeList->clearContents();
    typeList->setRowCount(std::max<int>(1, withBills.size()));
    for (int r = 0; r < typeList->rowCount(); ++r)
        typeList->setItem(r, 0, new QTableWidgetItem(r < withBills.size() ? withBills.at(r) : QString()));
    typeList->setCurrentCell(0, 0);
    typeList->viewport()->update();
    // A newcomer sees where to begin instead of an empty list.
    welcomePanel->setVisible(withBills.isEmpty());
    billList->setVisible(!withBills.isEmpty());
}

void TMainForm::listBills(int typeIndex) {
    const bool known = typeIndex >= 0 && typeIndex < m_store.typeNames().size();
    showBills(typeIndex, known ? m_store.billEntriesOfType(typeIndex) : QList<MainItemFlag>());
}

void TMainForm::showBills(int typeIndex, const QList<MainItemFlag>& entries) {
    m_currentType = typeIndex;
    m_entries.clear();
    const int clientWidth = deleteBillButton->geometry().left() + deleteBillButton->width() + 200;
    billList->setFixedWidth(clientWidth + 2 * billList->frameWidth());
    billList->setColumnWidth(0, clientWidth);
    billList->clearContents();
    if (typeIndex < 0 || typeIndex >= m_store.typeNames().size()) {
        m_currentType = -1;
        locationLabel->setText(QStringLiteral("  目前位置："));
        billList->setRowCount(15);
        m_selectedBill = -1;
        focusLocation();
        billList->viewport()->update();
        return;
    }
    const QString typeName = m_store.typeNames().at(typeIndex);
    locationLabel->setText(QStringLiteral("  目前位置：") + typeName);
    m_entries = entries;
    const int count = m_entries.size();
    billList->setRowCount(std::max(count + 1, 15));
    billList->setItem(0, 0, new QTableWidgetItem(typeName + QStringLiteral("-列表")));
    m_rememberedBillRow = 1;
    for (int i = 0; i < count; ++i)
        billList->setItem(i + 1, 0, new QTableWidgetItem(m_entries.at(i).billName.trimmed()));
    if (count > 0) {
        m_selectedBill = 0;
        billList->setCurrentCell(1, 0);
    } else {
        m_selectedBill = -1;
        focusLocation();
    }
    billList->viewport()->update();
}

void TMainForm::refreshAll() {
    guarded(this, [this] {
        m_entries.clear();
        m_store.ensureBillTypeTable();
        fillTypeList();
        m_highlightedTypeRow = 0;
        const QString first = typeList->item(0, 0) ? typeList->item(0, 0)->text() : QString();
        listBills(first.isEmpty() ? -1 : m_store.typeIndexOf(first));
    });
}

const MainItemFlag* TMainForm::selectedBill() const {
    if (m_selectedBill < 0 || m_selectedBill >= m_entries.size())
        return nullptr;
    return &m_entries.at(m_selectedBill);
}

int TMainForm::typeListRowAt(const QPoint& pos) const {
    return typeList->rowAt(pos.y());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (m_prepareStore && watched == menuBar() && event->type() == QEvent::Paint) {
        // Queued behind the painting, so that the window is on the screen before the store is read.
        QMetaObject::invokeMethod(this, &TMainForm::openAfterFirstPaint, Qt::QueuedConnection);
        menuBar()->removeEventFilter(this);
        return false;
    }
    const bool onTypeList = typeList && watched == typeList->viewport();
    const bool onBillList = billList && watched == billList->viewport();
    if (!onTypeList && !onBillList)
        return QMainWindow::eventFilter(watched, event);
    auto* me = dynamic_cast<QMouseEvent*>(event);
    if (!me || me->button() != Qt::LeftButton)
        return QMainWindow::eventFilter(watched, event);
    const QPoint pos = me->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (onTypeList)
            typeListPressed(pos);
        else
            billListPressed(pos);
        return true;
    case QEvent::MouseButtonDblClick:
        if (onTypeList) {
            typeListPressed(pos);
        } else {
            billListPressed(pos);
            billListDoubleClicked();
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (onTypeList) {
            typeListReleased();
        } else {
            billListReleased();
            billListMouseUp();
        }
        return true;
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

void TMainForm::typeListPressed(const QPoint& pos) {
    guarded(this, [&] {
        const int row = typeListRowAt(pos);
        if (pos.x() > 8 && pos.x() < typeList->viewport()->width() - 8) {
            if (row == m_highlightedTypeRow || row < 0)
                return;
            m_highlightedTypeRow = row;
            const QString name = typeList->item(row, 0) ? typeList->item(row, 0)->text() : QString();
            listBills(name.isEmpty() ? -1 : m_store.typeIndexOf(name));
        } else {
            typeList->setCurrentCell(m_highlightedTypeRow, 0);
            focusLocation();
        }
    });
}

void TMainForm::typeListReleased() {
    typeList->viewport()->update();
    focusLocation();
}

void TMainForm::billListPressed(const QPoint& pos) {
    const int row = billList->rowAt(pos.y());
    m_pressedOnBill = false;
    if (row >= 1) {
        if (pos.x() <= CardStyle::kCardLeft) {
            billList->setCurrentCell(m_rememberedBillRow, 0);
        } else if (row <= m_entries.size()) {
            m_pressedOnBill = true;
            m_rememberedBillRow = row;
        }
    }
    focusLocation();
}

void TMainForm::billListReleased() {
    billList->setCurrentCell(m_rememberedBillRow, 0);
    m_selectedBill = m_entries.isEmpty() ? -1 : m_rememberedBillRow - 1;
    billList->viewport()->update();
}

void TMainForm::billListDoubleClicked() {
    m_doubleClick = m_pressedOnBill;
}

void TMainForm::billListMouseUp() {
    const bool open = m_pressedOnBill && m_doubleClick;
    m_doubleClick = false;
    if (open)
        issueBill();
}
