#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Up and down arrows bound to a text field: they step a position through a range and write it
// into the field, and a number typed into the field moves the position with it.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    void setAssociate(QLineEdit* edit);
    void setRange(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    // Past one end the arrows continue from the other.
    void setWrap(bool wrap) { m_wrap = wrap; }

    // The number in the field when it is one within the range, else the last position.
    int position() const;
    // Kept within the range and written into the field.
    void setPosition(int position);
    void stepBy(int steps);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

private:
    QLineEdit* m_edit = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    bool m_wrap = false;
};
