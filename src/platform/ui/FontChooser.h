#pragma once

#include <QDialog>
#include <QFont>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The font dialog of the program: face, style, size, strike-out and underline, in Chinese. The
// faces a template carries (宋体, 黑体, 楷体, ...) are listed by those names beside the installed
// families, so that an item's font is shown as it is written and OK without a change returns it
// unchanged: the same face name, size and styles.
class FontChooser : public QDialog {
    Q_OBJECT
public:
    explicit FontChooser(QWidget* parent = nullptr);

    // Presets every control from the font: its face name (added to the list when missing), its
    // point size and its styles; nothing of an earlier choice remains.
    void setChosenFont(const QFont& font);
    QFont chosenFont() const;

    QLineEdit* familyEdit = nullptr;
    QListWidget* familyList = nullptr;
    QListWidget* styleList = nullptr; // 常规, 斜体, 粗体, 粗斜体
    QLineEdit* sizeEdit = nullptr;
    QListWidget* sizeList = nullptr;
    QCheckBox* strikeOutBox = nullptr;
    QCheckBox* underlineBox = nullptr;
    QLabel* sample = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void showSample();
    void selectFamily(const QString& family);
    void selectSize(int size);
};
