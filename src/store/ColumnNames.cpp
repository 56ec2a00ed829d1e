#include "store/ColumnNames.h"

namespace ColumnNames {

namespace {
QString folded(const QString& name) {
    QString s = name;
    for (QChar& c : s)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return s;
}
} // namespace

bool same(const QString& a, const QString& b) {
    return a.size() == b.size() && folded(a) == folded(b);
}

const QStringList& reserved() {
    static const QStringList names{QStringLiteral("rowid"),        QStringLiteral("_rowid_"),
                                   QStringLiteral("oid"),          QStringLiteral("HistoryNumber"),
                                   QStringLiteral("BeforeNumber"), QStringLiteral("AutoNumber"),
                                   QStringLiteral("打印日期"),     QStringLiteral("货币种类")};
    return names;
}

bool isReserved(const QString& name) {
    for (const QString& r : reserved())
        if (same(r, name))
            return true;
    return false;
}

bool isRowIdName(const QString& name) {
    return same(name, QStringLiteral("rowid")) || same(name, QStringLiteral("_rowid_")) ||
           same(name, QStringLiteral("oid"));
}

Conflict conflictOf(const QStringList& others, const QString& name) {
    if (isReserved(name))
        return Conflict::Reserved;
    for (const QString& o : others)
        if (same(o, name))
            return Conflict::Duplicate;
    return Conflict::None;
}

QString reservedMessage(const QString& name) {
    return QStringLiteral("子项名称“%1”是程序自己使用的名称，请换一个名称。").arg(name);
}

QString itemNameConflict(const QStringList& others, const QString& name) {
    if (isReserved(name))
        return reservedMessage(name);
    for (const QString& o : others)
        if (same(o, name))
            return QStringLiteral("子项名称“%1”与子项“%2”相同（不区分英文字母大小写）。").arg(name, o);
    return {};
}

QString firstConflict(const QStringList& names) {
    for (int i = 0; i < names.size(); ++i) {
        const QString problem = itemNameConflict(names.mid(0, i), names.at(i));
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

} // namespace ColumnNames
