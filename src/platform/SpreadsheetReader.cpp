#include "platform/SpreadsheetReader.h"

#include "platform/OrcusSheetReader.h"
#include "platform/SpreadsheetError.h"
#include "platform/XlsSheetReader.h"
#include "platform/ZipBounds.h"

#include <QFile>
#include <QFileInfo>

namespace SpreadsheetReader {

namespace {
// Far beyond any sheet of business units or contacts; refuses to take a stray huge file into memory.
constexpr qint64 kMaxFileSize = qint64(512) * 1024 * 1024;
} // namespace

SheetTexts readActiveSheet(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw SpreadsheetError(QStringLiteral("无法打开文件 %1：%2").arg(path, file.errorString()));
    if (file.size() > kMaxFileSize)
        throw SpreadsheetError(QStringLiteral("文件 %1 太大，不是可以导入的Excel文件。").arg(path));
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        throw SpreadsheetError(QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString()));
    file.close();

    if (XlsSheetReader::detect(bytes))
        return XlsSheetReader::readFirstUsedSheet(path);
    if (bytes.startsWith("PK\x03\x04")) {
        QString why;
        if (!ZipBounds::check(bytes, &why))
            throw SpreadsheetError(
                QStringLiteral("文件 %1 已损坏（%2），不是可以导入的Excel工作簿。").arg(path, why));
    }
    if (OrcusSheetReader::detect(bytes, OrcusSheetReader::Format::Ods))
        return OrcusSheetReader::readActiveSheet(bytes, OrcusSheetReader::Format::Ods);
    if (OrcusSheetReader::detect(bytes, OrcusSheetReader::Format::Xlsx))
        return OrcusSheetReader::readActiveSheet(bytes, OrcusSheetReader::Format::Xlsx);
    if (bytes.startsWith("PK\x03\x04"))
        throw SpreadsheetError(QStringLiteral("文件 %1 已损坏，或者不是Excel工作簿。").arg(path));
    throw SpreadsheetError(QStringLiteral("文件 %1 不是Excel工作簿（.xlsx、.xls）。").arg(path));
}

} // namespace SpreadsheetReader
