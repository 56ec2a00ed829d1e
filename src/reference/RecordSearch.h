#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The look-up of a reference record by the text typed into a bill item. Texts are compared after
// folding the ASCII letters A-Z to a-z; every other character (Chinese among them) compares exactly.
namespace RecordSearch {

enum class Kind { OwnAccount, BusinessUnit, Contact, Purpose };

QString foldAscii(const QString& text);

// Positions of the matching records, in table order: first the records whose code equals the
// text; if none, those whose name begins with it (nameColumn >= 0, text not empty); if none
// either, those whose code is empty or contains the text.
QList<int> matchCodeOrName(const QList<QStringList>& records, int codeColumn, int nameColumn,
                           const QString& text);

struct Lookup {
    QStringList names;             // the table's column names after its key, trimmed
    QList<QStringList> candidates; // the matching records' texts in the same order
};

// Reads the kind's table from the bill store and finds the candidates for the text: every own
// account; business units by code, "单位名称", code part; contacts by code, "姓名", code part;
// purposes by code (column 2 after the key) then code part, or all of them for an empty text.
// Throws StoreError when the table or a column it needs is missing.
Lookup lookup(Kind kind, const QString& text = QString());

// The records that a text names without anyone to choose among candidates (a data row): business
// units, contacts and purposes whose code equals the text, letters folded as above; own accounts,
// which have no code, whose first column (the account's name) or "银行帐号" equals the text.
Lookup lookupExact(Kind kind, const QString& text);

QString tableOf(Kind kind);

} // namespace RecordSearch
