#pragma once

#include <QDialog>

class ParameterGrid;
class QComboBox;
class QLineEdit;

// What the template designer and the position adjustment share as windows: every opening (not a
// restore after minimising) loads the working template again; Esc belongs to the cell editors, so
// the window closes only through its exit button and close box; minimising takes the main window
// along; the modified flag records unsaved work; and closing asks mayClose() first.
class TemplateEditWindow : public QDialog {
    Q_OBJECT
public:
    explicit TemplateEditWindow(QWidget* parent);

    bool modified() const { return m_modified; }

    // The cell editors of the page and item parameter grids.
    QLineEdit* pageTextEditor = nullptr;
    QComboBox* pageChoiceEditor = nullptr;
    QLineEdit* itemTextEditor = nullptr;
    QComboBox* itemChoiceEditor = nullptr;

public slots:
    void reject() override;

protected:
    void setModified(bool modified = true) { m_modified = modified; }
    // Takes the cell editors of the two grids as the window's own, named for tests and key handling.
    void adoptGridEditors(ParameterGrid* pageGrid, ParameterGrid* itemGrid);
    // Loads the working template into the window; store failures are told to the operator.
    virtual void loadWorkingTemplate() = 0;
    // Whether the window may close now (a question about unsaved work may come first).
    virtual bool mayClose() { return true; }

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_modified = false;
};
