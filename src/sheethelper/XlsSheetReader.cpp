#include "sheethelper/XlsSheetReader.h"

#include "platform/SpreadsheetError.h"
#include "sheethelper/SheetCells.h"
#include "sheethelper/XlsActiveSheet.h"

#include <QFile>
#include <QStringList>

#include <freexl.h>

namespace XlsSheetReader {

namespace {
class Handle {
public:
    explicit Handle(const QString& path) {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &m_handle);
        if (rc != FREEXL_OK) {
            m_handle = nullptr;
            throw SpreadsheetError(QStringLiteral("工作簿已损坏，无法读取（FreeXL 错误 %1）。").arg(rc));
        }
    }
    ~Handle() {
        if (m_handle)
            freexl_close(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    const void* get() const { return m_handle; }

private:
    const void* m_handle = nullptr;
};

void check(int rc) {
    if (rc != FREEXL_OK)
        throw SpreadsheetError(QStringLiteral("工作簿已损坏，无法读取（FreeXL 错误 %1）。").arg(rc));
}

QString cellText(const FreeXL_CellValue& v) {
    switch (v.type) {
    case FREEXL_CELL_INT:
        return QString::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return SheetCells::numberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return v.value.text_value ? QString::fromUtf8(v.value.text_value) : QString();
    default:
        return {};
    }
}
} // namespace

bool detect(const QByteArray& head) {
    static const char magic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return head.startsWith(QByteArray::fromRawData(magic, 8));
}

SheetCells readActiveSheet(const QString& path, const QByteArray& bytes) {
    Handle xls(path);
    unsigned int password = 0;
    check(freexl_get_info(xls.get(), FREEXL_BIFF_PASSWORD, &password));
    if (password == FREEXL_BIFF_OBFUSCATED)
        throw SpreadsheetError(QStringLiteral("工作簿设有密码，无法读取。"));
    unsigned int sheets = 0;
    check(freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &sheets));
    if (sheets == 0)
        throw SpreadsheetError(QStringLiteral("工作簿中没有工作表。"));

    QStringList names;
    for (unsigned short s = 0; s < sheets; ++s) {
        const char* name = nullptr;
        check(freexl_get_worksheet_name(xls.get(), s, &name));
        names << (name ? QString::fromUtf8(name) : QString());
    }
    // The sheet the workbook was showing, found by its name; a workbook that does not say reads
    // as showing its first sheet.
    const XlsActiveSheet::Choice active = XlsActiveSheet::find(bytes);
    qsizetype chosen = active.name.isEmpty() ? -1 : names.indexOf(active.name);
    if (chosen < 0 && active.found && active.worksheetIndex < names.size())
        chosen = active.worksheetIndex;
    if (chosen < 0)
        chosen = 0;

    check(freexl_select_active_worksheet(xls.get(), (unsigned short)chosen));
    unsigned int rows = 0;
    unsigned short columns = 0;
    check(freexl_worksheet_dimensions(xls.get(), &rows, &columns));
    SheetCells sheet(names.at(chosen));
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            check(freexl_get_cell_value(xls.get(), r, c, &v));
            if (v.type != FREEXL_CELL_NULL)
                sheet.setText(r, c, cellText(v));
        }
    }
    // The sheet's recorded dimensions include its formatted blank cells.
    if (rows > 0 && columns > 0)
        sheet.markUsed(qint64(rows) - 1, qint64(columns) - 1);
    return sheet;
}

} // namespace XlsSheetReader
