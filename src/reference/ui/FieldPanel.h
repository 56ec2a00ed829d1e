#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The group box "当前记录": one control per column of a reference record, in table order. Edits
// and memos hold free text; lists (drop-down, pick only) hold one of their entries or none.
class FieldPanel : public QGroupBox {
    Q_OBJECT
public:
    enum class Kind { Line, Memo, List };
    struct Field {
        QString column;     // table column written from / read into the control
        QString objectName; // "codeEdit", "purposeEditor", "genderSelector"
        QString label;      // caption before the control ("" for none)
        QString trailing;   // caption after the control ("" for none)
        int block = 0;      // blocks stand side by side
        int row = 0;        // fields of one row of a block stand side by side
        Kind kind = Kind::Line;
        QStringList entries; // of a list
    };

    FieldPanel(const QList<Field>& fields, QWidget* parent);

    QStringList columns() const;
    // Texts in table order; a list without selection gives "".
    QStringList texts() const;
    // A list selects the entry equal to the text, or none.
    void setTexts(const QStringList& texts);
    void setText(int field, const QString& text);
    // Edits and memos to "", lists to their first entry.
    void reset();
    // Whether every edit and memo is empty; lists do not count.
    bool editsEmpty() const;
    // The first control gets the focus with the caret after its last character.
    void focusFirst();

    int count() const { return int(m_fields.size()); }
    QWidget* control(int field) const { return m_controls.at(field); }
    QLineEdit* lineEdit(const QString& objectName) const;
    QPlainTextEdit* memo(const QString& objectName) const;
    QComboBox* list(const QString& objectName) const;

signals:
    // Any control changed, by typing or by the program.
    void changed();

private:
    QList<Field> m_fields;
    QList<QWidget*> m_controls;
};
