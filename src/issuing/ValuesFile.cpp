#include "issuing/ValuesFile.h"

#include "platform/SpreadsheetError.h"
#include "platform/SpreadsheetReader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {
bool isWorkbook(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xlsx") || suffix == QLatin1String("xls") ||
           suffix == QLatin1String("ods");
}

QList<QStringList> readText(const QString& path) {
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        throw SpreadsheetError(QStringLiteral("无法打开数据文件 %1：%2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        throw SpreadsheetError(QStringLiteral("数据文件 %1 不是 UTF-8 文本").arg(path));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<QStringList> rows;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        rows << line.split(QLatin1Char('\t'));
    }
    return rows;
}

bool isEmptyRow(const QStringList& row) {
    for (const QString& cell : row)
        if (!cell.trimmed().isEmpty())
            return false;
    return true;
}
} // namespace

ValuesFile ValuesFile::read(const QString& path) {
    QList<QStringList> rows;
    if (isWorkbook(path)) {
        if (!QFileInfo(path).isFile())
            throw SpreadsheetError(QStringLiteral("数据文件 %1 不存在").arg(path));
        try {
            rows = SpreadsheetReader::readActiveSheet(path).rows;
        } catch (const SpreadsheetError& e) {
            throw SpreadsheetError(QStringLiteral("无法读取数据文件 %1：%2").arg(path, e.message()));
        }
    } else {
        rows = readText(path);
    }
    ValuesFile table;
    table.name = path == QLatin1String("-") ? QStringLiteral("标准输入") : path;
    int first = 0;
    while (first < rows.size() && isEmptyRow(rows.at(first)))
        ++first;
    if (first == rows.size())
        throw SpreadsheetError(QStringLiteral("数据文件 %1 没有表头行").arg(table.name));
    for (const QString& name : rows.at(first))
        table.header << name.trimmed();
    while (!table.header.isEmpty() && table.header.constLast().isEmpty())
        table.header.removeLast();
    for (int r = first + 1; r < rows.size(); ++r) {
        if (isEmptyRow(rows.at(r)))
            continue;
        table.rows << rows.at(r);
        table.lineNumbers << r + 1;
    }
    return table;
}
