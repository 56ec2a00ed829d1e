#include "reference/ui/SheetTransfers.h"

#include "app/ui/TWaitingForm.h"
#include "platform/ui/Prompter.h"
#include "platform/ui/SpreadsheetDialogs.h"
#include "reference/LoadBussAccountThread.h"
#include "reference/LoadLinkManThread.h"
#include "reference/SaveBussAccountThread.h"
#include "reference/SaveLinkManThread.h"

namespace SheetTransfers {

namespace {
Runner& runnerSlot() {
    static Runner runner;
    return runner;
}

bool run(QWidget* parent, const QString& busyText, Worker& worker, QString* error) {
    if (runnerSlot())
        return runnerSlot()(parent, busyText, worker, error);
    return TWaitingForm::runWorker(parent, busyText, worker, error);
}

template <typename W>
bool runImport(QWidget* parent, const QString& title, const QString& busyText, const QString& what) {
    const QString path = SpreadsheetDialogs::askImportFile(parent, title);
    if (path.isEmpty())
        return false;
    W worker(path);
    QString error;
    if (!run(parent, busyText, worker, &error)) {
        if (worker.cancelRequested()) {
            Prompter::instance().notice(parent, QStringLiteral("已取消导入%1，没有导入任何记录。").arg(what));
            return false;
        }
        Prompter::instance().error(parent,
                                   QStringLiteral("导入%1失败：\n%2\n没有导入任何记录。").arg(what, error));
        return false;
    }
    return worker.recordsAdded() > 0;
}

template <typename W>
void startExport(QWidget* parent, const QString& title, const QString& busyText, const QString& what) {
    const SpreadsheetDialogs::ExportTarget target = SpreadsheetDialogs::askExportFile(parent, title);
    if (target.path.isEmpty())
        return;
    W worker(target.path);
    if (runExport(parent, busyText, worker, what))
        SpreadsheetDialogs::tellRenamed(parent, target);
}
} // namespace

void setRunner(Runner runner) {
    runnerSlot() = std::move(runner);
}

bool runExport(QWidget* parent, const QString& busyText, Worker& worker, const QString& what) {
    QString error;
    if (run(parent, busyText, worker, &error))
        return true;
    Prompter::instance().error(
        parent,
        QStringLiteral("导出%1失败：\n%2\n没有写入Excel文件，原有的同名文件保持不变。").arg(what, error));
    return false;
}

bool importBusinessUnits(QWidget* parent) {
    return runImport<LoadBussAccountThread>(parent, QStringLiteral("导入业务单位Excel文件"),
                                            QStringLiteral("正在导入业务单位信息"),
                                            QStringLiteral("业务单位"));
}

void exportBusinessUnits(QWidget* parent) {
    startExport<SaveBussAccountThread>(parent, QStringLiteral("导出业务单位到Excel文件"),
                                       QStringLiteral("正在导出业务单位信息"), QStringLiteral("业务单位"));
}

bool importContacts(QWidget* parent) {
    return runImport<LoadLinkManThread>(parent, QStringLiteral("导入联系人Excel文件"),
                                        QStringLiteral("正在导入联系人信息"), QStringLiteral("联系人"));
}

void exportContacts(QWidget* parent) {
    startExport<SaveLinkManThread>(parent, QStringLiteral("导出联系人到Excel文件"),
                                   QStringLiteral("正在导出联系人信息"), QStringLiteral("联系人"));
}

} // namespace SheetTransfers
