#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

// The reference look-ups of the bill filling window: the record managers' pick operations, the
// selection dialog's searches by identification code and the quick-add dialogs. A search or pick
// returns 1 with the chosen record in values and its table's column names in names; a quick-add
// returns true with the added record's values. Tests put scripted look-ups in their place.
class ReferenceLookups {
public:
    virtual ~ReferenceLookups() = default;

    virtual int PickBusinessUnit(QWidget* parent, QStringList& values, QStringList& names) = 0;
    virtual int PickPurpose(QWidget* parent, const QString& text, QStringList& values,
                            QStringList& names) = 0;
    virtual int PickContact(QWidget* parent, QStringList& values, QStringList& names) = 0;
    virtual bool QuickAddBusinessUnit(QWidget* parent, const QString& text, QStringList& values) = 0;
    virtual bool QuickAddContact(QWidget* parent, const QString& text, QStringList& values) = 0;
    virtual int SelectOwnAccount(QWidget* parent, QStringList& values, QStringList& names) = 0;
    virtual int SelectBusinessUnit(QWidget* parent, const QString& text, QStringList& values,
                                   QStringList& names) = 0;
    virtual int SelectContact(QWidget* parent, const QString& text, QStringList& values,
                              QStringList& names) = 0;
    virtual int SelectPurpose(QWidget* parent, const QString& text, QStringList& values,
                              QStringList& names) = 0;

    // The reference windows.
    static std::unique_ptr<ReferenceLookups> windows();
};
