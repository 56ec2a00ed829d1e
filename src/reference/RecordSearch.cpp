#include "reference/RecordSearch.h"

#include "reference/ReferenceTable.h"
#include "store/StoreError.h"

namespace RecordSearch {

QString foldAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return out;
}

QList<int> matchCodeOrName(const QList<QStringList>& records, int codeColumn, int nameColumn,
                           const QString& text) {
    const QString t = foldAscii(text);
    auto pass = [&](auto&& matches) {
        QList<int> found;
        for (int i = 0; i < records.size(); ++i)
            if (matches(records.at(i)))
                found << i;
        return found;
    };
    QList<int> found = pass([&](const QStringList& r) { return foldAscii(r.value(codeColumn)) == t; });
    if (found.isEmpty() && nameColumn >= 0 && !t.isEmpty())
        found = pass([&](const QStringList& r) { return foldAscii(r.value(nameColumn)).startsWith(t); });
    if (found.isEmpty())
        found = pass([&](const QStringList& r) {
            const QString code = foldAscii(r.value(codeColumn));
            return code.isEmpty() || (!t.isEmpty() && code.contains(t));
        });
    return found;
}

QString tableOf(Kind kind) {
    switch (kind) {
    case Kind::OwnAccount:
        return QStringLiteral("本单位帐户");
    case Kind::BusinessUnit:
        return QStringLiteral("业务单位");
    case Kind::Contact:
        return QStringLiteral("联系人");
    case Kind::Purpose:
        return QStringLiteral("票据用途");
    }
    return {};
}

namespace {
int columnOf(const QStringList& names, const QString& column, const QString& table) {
    const int c = names.indexOf(column);
    if (c < 0)
        throw StoreError(QStringLiteral("数据表“%1”没有“%2”列").arg(table, column));
    return c;
}
} // namespace

Lookup lookup(Kind kind, const QString& text) {
    const ReferenceTable table(tableOf(kind));
    const QStringList fields = table.fieldNames();
    Lookup result;
    for (const QString& f : fields)
        result.names << f.trimmed();

    QList<QStringList> records;
    for (const StoredRecord& r : table.records(fields))
        records << r.values;

    QList<int> found;
    switch (kind) {
    case Kind::OwnAccount:
        result.candidates = records;
        return result;
    case Kind::BusinessUnit:
    case Kind::Contact: {
        const QString code = QStringLiteral("识别码");
        const QString name = kind == Kind::BusinessUnit ? QStringLiteral("单位名称") : QStringLiteral("姓名");
        found = matchCodeOrName(records, columnOf(result.names, code, table.name()),
                                columnOf(result.names, name, table.name()), text);
        break;
    }
    case Kind::Purpose:
        if (text.isEmpty()) {
            result.candidates = records;
            return result;
        }
        // The code is the second column after the key, whatever its name.
        if (result.names.size() < 2)
            throw StoreError(QStringLiteral("数据表“%1”没有识别码列").arg(table.name()));
        found = matchCodeOrName(records, 1, -1, text);
        break;
    }
    for (int i : found)
        result.candidates << records.at(i);
    return result;
}

Lookup lookupExact(Kind kind, const QString& text) {
    const ReferenceTable table(tableOf(kind));
    const QStringList fields = table.fieldNames();
    Lookup result;
    for (const QString& f : fields)
        result.names << f.trimmed();
    QList<int> columns;
    switch (kind) {
    case Kind::OwnAccount:
        columns << 0;
        if (result.names.contains(QStringLiteral("银行帐号")))
            columns << int(result.names.indexOf(QStringLiteral("银行帐号")));
        break;
    case Kind::BusinessUnit:
    case Kind::Contact:
        columns << columnOf(result.names, QStringLiteral("识别码"), table.name());
        break;
    case Kind::Purpose:
        // The code is the second column after the key, whatever its name.
        if (result.names.size() < 2)
            throw StoreError(QStringLiteral("数据表“%1”没有识别码列").arg(table.name()));
        columns << 1;
        break;
    }
    const QString t = foldAscii(text.trimmed());
    for (const StoredRecord& r : table.records(fields)) {
        bool match = false;
        for (int c : std::as_const(columns)) {
            const QString v = r.values.value(c).trimmed();
            match = match || (kind == Kind::OwnAccount ? v == text.trimmed() : foldAscii(v) == t);
        }
        if (match)
            result.candidates << r.values;
    }
    return result;
}

} // namespace RecordSearch
