#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The query of the record managers: the current record's texts filter the table's records by
// exact, case-sensitive substring tests, one per column.
class RecordFilter {
public:
    enum class Test {
        SkipEmptyStored, // fails when text is given, the stored text is not empty and lacks it
        Strict,          // fails when text is given and the stored text lacks it
        Always,          // fails unless the stored text contains the (non-empty) text
    };

    void add(int column, const QString& text, Test test);
    bool accepts(const QStringList& record) const;

    // One test of the kind per column, column c testing texts[c].
    static RecordFilter forAll(const QStringList& texts, Test test);
    // Contacts in their 19-column order: gender (column 1) and ethnic group (column 3) come from
    // lists and are always tested; every other column is strict.
    static RecordFilter contacts(const QStringList& texts);

private:
    struct Condition {
        int column;
        QString text;
        Test test;
    };
    QList<Condition> m_conditions;
};
