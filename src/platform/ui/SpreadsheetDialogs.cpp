#include "platform/ui/SpreadsheetDialogs.h"

#include "platform/SpreadsheetWriter.h"
#include "platform/ui/Prompter.h"

#include <QDir>
#include <QFileInfo>

namespace SpreadsheetDialogs {

QString askImportFile(QWidget* parent, const QString& title) {
    const QString path = Prompter::instance().openFile(
        parent, {title, QStringLiteral("Excel文件(*.xlsx *.xls)"), QStringLiteral("xlsx"), QString()});
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    return path;
}

ExportTarget askExportFile(QWidget* parent, const QString& title) {
    Prompter& prompter = Prompter::instance();
    const QString chosen = prompter.saveFile(
        parent, {title, QStringLiteral("Excel文件(*.xlsx)"), QStringLiteral("xlsx"), QString()});
    if (chosen.isEmpty())
        return {};
    ExportTarget target;
    target.path = SpreadsheetWriter::xlsxName(chosen);
    target.renamed = target.path != chosen;
    if (QFileInfo::exists(target.path) &&
        !prompter.question(parent, QStringLiteral("已经有同名的Excel文件，覆盖吗 ？")))
        return {};
    return target;
}

void tellRenamed(QWidget* parent, const ExportTarget& target) {
    if (target.renamed)
        Prompter::instance().notice(
            parent, QStringLiteral("Excel文件已保存为 %1").arg(QDir::toNativeSeparators(target.path)));
}

} // namespace SpreadsheetDialogs
