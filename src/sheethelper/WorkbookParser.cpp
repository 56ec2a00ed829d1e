#include "sheethelper/WorkbookParser.h"

#include "platform/SheetStream.h"
#include "platform/SpreadsheetError.h"
#include "sheethelper/OrcusSheetReader.h"
#include "sheethelper/XlsSheetReader.h"
#include "sheethelper/ZipBounds.h"

namespace WorkbookParser {

SheetCells parse(const QByteArray& bytes, const QString& path) {
    if (XlsSheetReader::detect(bytes))
        return XlsSheetReader::readActiveSheet(path, bytes);
    QString why;
    if (!ZipBounds::check(bytes, &why))
        throw SpreadsheetError(why);
    if (OrcusSheetReader::detect(bytes, OrcusSheetReader::Format::Ods))
        return OrcusSheetReader::readActiveSheet(bytes, OrcusSheetReader::Format::Ods);
    if (OrcusSheetReader::detect(bytes, OrcusSheetReader::Format::Xlsx))
        return OrcusSheetReader::readActiveSheet(bytes, OrcusSheetReader::Format::Xlsx);
    throw SpreadsheetError(QStringLiteral("不是.xlsx或.ods工作簿"));
}

void encode(const QByteArray& bytes, const QString& path, const Output& write) {
    using namespace SheetStream;
    write(kMagic);
    SheetCells sheet;
    try {
        sheet = parse(bytes, path);
    } catch (const SpreadsheetError& e) {
        write(failureRecord(FailureKind::Damaged, e.message()));
        return;
    }
    if (sheet.beyondLimits()) {
        write(failureRecord(FailureKind::BeyondLimits, QString()));
        return;
    }

    write(sheetRecord(sheet.name(), quint32(sheet.rowCount()), quint32(sheet.columnCount())));
    const std::vector<SheetCells::Cell> cells = sheet.takeCells();
    QList<Cell> row;
    for (size_t i = 0; i < cells.size(); ++i) {
        const SheetCells::Cell& c = cells[i];
        if (c.text.size() * 3 > kMaxTextBytes && c.text.toUtf8().size() > kMaxTextBytes) {
            write(failureRecord(FailureKind::Damaged, QStringLiteral("单元格的文字超过32767个字符")));
            return;
        }
        row.append({c.column, c.text});
        if (i + 1 == cells.size() || cells[i + 1].row != c.row) {
            write(rowRecord(quint32(c.row), row));
            row.clear();
        }
    }
    write(endRecord());
}

} // namespace WorkbookParser
