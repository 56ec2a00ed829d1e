#include "templates/ui/TemplateEditWindow.h"

#include "platform/ui/MinimizeFollow.h"
#include "platform/ui/Prompter.h"
#include "templates/ui/ParameterGrid.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShowEvent>

TemplateEditWindow::TemplateEditWindow(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
}

void TemplateEditWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring the minimised window shows it again; only opening it reloads the working template.
    if (!event->spontaneous())
        guarded(this, [this] { loadWorkingTemplate(); });
}

void TemplateEditWindow::keyPressEvent(QKeyEvent* event) {
    // Esc belongs to the cell editors; the window closes only through "退  出" and its close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TemplateEditWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}

void TemplateEditWindow::reject() {
    if (mayClose())
        QDialog::reject();
}

void TemplateEditWindow::adoptGridEditors(ParameterGrid* pageGrid, ParameterGrid* itemGrid) {
    pageTextEditor = pageGrid->edit();
    pageChoiceEditor = pageGrid->combo();
    itemTextEditor = itemGrid->edit();
    itemChoiceEditor = itemGrid->combo();
    pageTextEditor->setObjectName(QStringLiteral("pageTextEditor"));
    pageChoiceEditor->setObjectName(QStringLiteral("pageChoiceEditor"));
    itemTextEditor->setObjectName(QStringLiteral("itemTextEditor"));
    itemChoiceEditor->setObjectName(QStringLiteral("itemChoiceEditor"));
}
