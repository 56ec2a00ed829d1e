#include "platform/SpreadsheetWriter.h"

#include "platform/FileModes.h"
#include "platform/SpreadsheetError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

QString lxwText(lxw_error e) {
    return QString::fromUtf8(lxw_strerror(e));
}
} // namespace

struct SpreadsheetWriter::Impl {
    QString target;
    QTemporaryFile temp;
    lxw_workbook* workbook = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_format* text = nullptr;
    int row = 0;
    bool saved = false;
};

SpreadsheetWriter::SpreadsheetWriter(const QString& path) : d(std::make_unique<Impl>()) {
    d->target = QFileInfo(path).absoluteFilePath();
    const QFileInfo info(d->target);
    if (info.isDir())
        throw SpreadsheetError(QStringLiteral("%1 是一个文件夹，不能保存为Excel文件。").arg(path));
    // The temporary file lies beside the target, so that putting it in place is a rename.
    d->temp.setFileTemplate(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                            QStringLiteral(".XXXXXX"));
    if (!d->temp.open())
        throw SpreadsheetError(
            QStringLiteral("无法在文件夹 %1 中写入文件：%2")
                .arg(QDir::toNativeSeparators(info.absolutePath()), d->temp.errorString()));
    d->temp.close();

    d->workbook = workbook_new(QFile::encodeName(d->temp.fileName()).constData());
    if (!d->workbook)
        throw SpreadsheetError(QStringLiteral("无法建立Excel工作簿。"));
    d->sheet = workbook_add_worksheet(d->workbook, nullptr);
    d->text = workbook_add_format(d->workbook);
    if (!d->sheet || !d->text)
        throw SpreadsheetError(QStringLiteral("无法建立Excel工作簿。"));
    format_set_num_format(d->text, "@");
    worksheet_activate(d->sheet);
}

SpreadsheetWriter::~SpreadsheetWriter() {
    if (d->workbook && !d->saved) {
        // Closing is the only way to free the workbook; what it wrote is the temporary file,
        // which goes with it.
        workbook_close(d->workbook);
    }
}

void SpreadsheetWriter::addRow(const QStringList& texts) {
    if (d->row >= kMaxRows)
        throw SpreadsheetError(QStringLiteral("记录太多，超出Excel工作表的最大行数 %1。").arg(kMaxRows));
    if (texts.size() > kMaxColumns)
        throw SpreadsheetError(QStringLiteral("列太多，超出Excel工作表的最大列数 %1。").arg(kMaxColumns));
    for (qsizetype c = 0; c < texts.size(); ++c) {
        const QByteArray utf8 = texts.at(c).toUtf8();
        const lxw_error e =
            worksheet_write_string(d->sheet, lxw_row_t(d->row), lxw_col_t(c), utf8.constData(), d->text);
        if (e != LXW_NO_ERROR)
            throw SpreadsheetError(
                QStringLiteral("无法写入第%1行第%2列：%3").arg(d->row + 1).arg(c + 1).arg(lxwText(e)));
    }
    ++d->row;
}

int SpreadsheetWriter::rowsWritten() const {
    return d->row;
}

void SpreadsheetWriter::save() {
    lxw_workbook* wb = d->workbook;
    d->workbook = nullptr;
    const lxw_error e = workbook_close(wb);
    if (e != LXW_NO_ERROR)
        throw SpreadsheetError(QStringLiteral("无法写入Excel文件 %1：%2").arg(d->target, lxwText(e)));
    const QString temp = d->temp.fileName();
    QFile::Permissions perms = FileModes::exportPermissions();
    if (QFileInfo::exists(d->target))
        perms = QFile::permissions(d->target);
    QFile::setPermissions(temp, perms);
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(d->target).constData()) != 0)
        throw SpreadsheetError(QStringLiteral("无法保存Excel文件 %1：%2")
                                   .arg(d->target, QString::fromLocal8Bit(std::strerror(errno))));
    d->saved = true;
}

QString SpreadsheetWriter::xlsxName(const QString& chosen) {
    const QFileInfo info(chosen);
    const QString suffix = info.suffix();
    if (suffix.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0)
        return chosen.left(chosen.size() - 3) + QStringLiteral("xlsx");
    if (suffix.isEmpty() && !chosen.endsWith(QLatin1Char('.')))
        return chosen + QStringLiteral(".xlsx");
    return chosen;
}
