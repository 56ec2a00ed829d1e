#include "templates/ui/DesignCommand.h"

#include "exchange/BillDefineFile.h"
#include "platform/ui/Prompter.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "templates/TemplateStore.h"
#include "templates/ui/TDesignInputForm.h"
#include "templates/ui/TItemSetForm.h"

#include <QFile>
#include <QFileInfo>

namespace {
void emptyWorkingTemplate() {
    const QSqlDatabase def = Database::get(Db::Define);
    Sql::Transaction tx(def);
    Sql::emptyTable(def, BillStore::workingPageTable());
    Sql::emptyTable(def, BillStore::workingItemTable());
    tx.commit();
}
} // namespace

void designBill(QWidget* parent, BillStore& store) {
    FileDialogSpec spec;
    spec.title = QStringLiteral("票据定义文件保存为");
    spec.filter = QStringLiteral("票据定义文件(*.BDF)");
    spec.defaultSuffix = QStringLiteral("BDF");
    const QString path = Prompter::instance().saveFile(parent, spec);
    if (path.isEmpty())
        return;

    QString picture;
    bool proceed = true;
    const bool prepared = guarded(parent, [&] {
        emptyWorkingTemplate();
        if (!QFileInfo::exists(path))
            return;
        if (!BillDefineFile::check(path)) {
            proceed = Prompter::instance().question(parent, QStringLiteral("存在非票据定义文件，覆盖吗 ？"));
            return;
        }
        QString error;
        if (!BillDefineFile::read(path, &error))
            throw StoreError(error);
        const QSqlDatabase def = Database::get(Db::Define);
        PageParameters page = readPageRow(def, BillStore::workingPageTable());
        picture = page.pictureFormat;
        // An empty 图形文件 makes the save take the picture from the file just read.
        page.pictureFile.clear();
        writePageRow(def, BillStore::workingPageTable(), page);
    });
    if (!prepared || !proceed)
        return;

    TDesignInputForm input(store, parent);
    if (input.exec() == QDialog::Accepted) {
        TItemSetForm designer(store, parent);
        designer.setFilePath(path);
        designer.exec();
    }
    if (!picture.isEmpty() && QFileInfo(picture).isFile())
        QFile::remove(picture);
}
