#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "exchange/BillDefineFile.h"
#include "exchange/BillImport.h"
#include "platform/Clock.h"
#include "platform/SpreadsheetWriter.h"
#include "query/HistoryQuery.h"
#include "query/QueryDates.h"
#include "query/SaveQueryThread.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/VoidedRecords.h"
#include "templates/TemplateStore.h"

#include <QDate>
#include <QFile>

#include <memory>

namespace Commands {

int importBill(const QStringList& args) {
    Parsed a;
    parse(a, args,
          {{QStringLiteral("type"), QString(), QStringLiteral("TYPE")},
           {QStringLiteral("name"), QString(), QStringLiteral("NAME")},
           {QStringLiteral("replace"), QString()}},
          QStringLiteral("用法：tarvel import-bill FILE.BDF --type TYPE [--name NAME] [--replace]\n"
                         "像“导入票据”一样把票据定义文件导入为票据。\n"
                         "  --type TYPE   票据类型；没有这个类型时新增\n"
                         "  --name NAME   票据名称（默认：定义文件中的名称）\n"
                         "  --replace     替换同类型、同名称的票据（否则拒绝导入）"),
          1, 1);
    if (a.helpShown)
        return 0;
    const QString path = a.positional.constFirst();
    const QString typeName = a.value(QStringLiteral("type")).trimmed();
    if (typeName.isEmpty())
        throw CommandError::usage(QStringLiteral("缺少 --type TYPE"));
    if (!BillDefineFile::check(path))
        throw CommandError::failure(BillDefineFile::invalidFileMessage().trimmed() + QStringLiteral("：") +
                                    path);
    QString error;
    if (!BillDefineFile::read(path, &error))
        throw CommandError::failure(error.trimmed() + QStringLiteral("：") + path);

    const BillImport::WorkingPage page = BillImport::workingPage();
    // The picture read from the file belongs to nobody until the bill is created.
    struct PendingPicture {
        QString path;
        ~PendingPicture() {
            if (!path.isEmpty())
                QFile::remove(path);
        }
    } pending{page.picturePath};

    BillStore store;
    store.reloadTypeNames();
    const QString name = a.isSet(QStringLiteral("name")) ? a.value(QStringLiteral("name")) : page.billName;
    if (name.isEmpty())
        throw CommandError::failure(
            QStringLiteral("票据名称不能为空（定义文件 %1 没有名称，请用 --name 指定）").arg(path));
    const int known = store.typeIndexOf(typeName);
    if (known >= 0 && store.billNamesOfType(known).contains(name) && !a.isSet(QStringLiteral("replace")))
        throw CommandError::failure(
            QStringLiteral("已有票据“%1/%2”，没有导入；要替换它请加 --replace").arg(typeName, name));
    const bool replaced = BillImport::createBillOfType(store, typeName, name);
    pending.path.clear();
    Console::err(QStringLiteral("%1票据“%2/%3”")
                     .arg(replaced ? QStringLiteral("已替换") : QStringLiteral("已导入"), typeName, name));
    return 0;
}

int bills(const QStringList& args) {
    Parsed a;
    parse(a, args, {},
          QStringLiteral(
              "用法：tarvel bills\n列出所有票据，每行一张：类型、名称、各设置项名称，以制表符分隔。"),
          0, 0);
    if (a.helpShown)
        return 0;
    BillStore store;
    store.reloadTypeNames();
    const QSqlDatabase db = Database::get(Db::Bill);
    auto tpl = std::make_unique<BillTemplate>();
    for (const MainItemFlag& e : store.allBillEntries()) {
        QStringList fields{store.typeNames().value(e.typeIndex), e.billName};
        LoadTemplateItems(db, e.itemTable, *tpl);
        for (int i = 0; i < BillTemplate::MaxItems && tpl->items[i].used; ++i)
            fields << tpl->items[i].name;
        Console::outFields(fields);
    }
    return 0;
}

namespace {
QString dateDigits(const QString& text, const QString& option) {
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        throw CommandError::usage(QStringLiteral("--%1 应为日期 YYYY-MM-DD：%2").arg(option, text));
    return date.toString(QStringLiteral("yyyyMMdd"));
}
} // namespace

int history(const QStringList& args) {
    Parsed a;
    parse(a, args,
          {{QStringLiteral("bill"), QString(), QStringLiteral("TYPE/NAME")},
           {QStringLiteral("from"), QString(), QStringLiteral("YYYY-MM-DD")},
           {QStringLiteral("to"), QString(), QStringLiteral("YYYY-MM-DD")},
           {QStringLiteral("xlsx"), QString(), QStringLiteral("OUT")}},
          QStringLiteral(
              "用法：tarvel history --bill TYPE/NAME --from YYYY-MM-DD --to YYYY-MM-DD [--xlsx OUT]\n"
              "像“统计查询”一样列出两个日期之间（含）的打印记录，以制表符分隔：\n"
              "表头，每条记录一行，然后是各币种的合计。\n"
              "  --xlsx OUT   同时把查询结果写入 Excel 文件（与“导出”相同）"),
          0, 0);
    if (a.helpShown)
        return 0;
    for (const char* required : {"bill", "from", "to"})
        if (!a.isSet(QString::fromLatin1(required)))
            throw CommandError::usage(QStringLiteral("缺少 --%1").arg(QString::fromLatin1(required)));
    const QString from = dateDigits(a.value(QStringLiteral("from")), QStringLiteral("from"));
    const QString to = dateDigits(a.value(QStringLiteral("to")), QStringLiteral("to"));
    BillStore store;
    store.reloadTypeNames();
    const MainItemFlag entry = findBill(store, a.value(QStringLiteral("bill")));
    HistoryListing listing;
    try {
        ListHistory(entry.historyTable, entry.itemTable, from, to, listing);
    } catch (const HistoryValueError& e) {
        throw CommandError::failure(e.message());
    }
    for (const QStringList& row : listing.allRows())
        Console::outFields(row);
    if (a.isSet(QStringLiteral("xlsx"))) {
        const QString path = SpreadsheetWriter::xlsxName(a.value(QStringLiteral("xlsx")));
        SaveQueryThread worker(path, listing.allRows());
        try {
            worker.run();
        } catch (const std::exception& e) {
            throw CommandError::failure(QStringLiteral("导出查询结果失败：%1\n没有写入Excel文件 %2。")
                                            .arg(QString::fromUtf8(e.what()), path));
        }
        Console::err(QStringLiteral("查询结果已导出到 %1").arg(path));
    }
    return 0;
}

int voidRecord(const QStringList& args) {
    Parsed a;
    parse(a, args,
          {{QStringLiteral("bill"), QString(), QStringLiteral("TYPE/NAME")},
           {QStringLiteral("number"), QString(), QStringLiteral("N")},
           {QStringLiteral("reason"), QString(), QStringLiteral("TEXT")}},
          QStringLiteral("用法：tarvel void --bill TYPE/NAME --number N --reason TEXT\n"
                         "把票据的一条打印记录（“统计查询”中的序号 N）标记为作废，并记下原因和时间。\n"
                         "作废的记录仍然列出，但不计入合计。"),
          0, 0);
    if (a.helpShown)
        return 0;
    for (const char* required : {"bill", "number", "reason"})
        if (!a.isSet(QString::fromLatin1(required)))
            throw CommandError::usage(QStringLiteral("缺少 --%1").arg(QString::fromLatin1(required)));
    bool ok = false;
    const qint64 number = a.value(QStringLiteral("number")).toLongLong(&ok);
    if (!ok || number <= 0)
        throw CommandError::usage(QStringLiteral("--number 应当是打印记录的序号"));
    const QString reason = a.value(QStringLiteral("reason")).trimmed();
    if (reason.isEmpty())
        throw CommandError::usage(QStringLiteral("作废原因不能为空"));
    BillStore store;
    store.reloadTypeNames();
    const MainItemFlag entry = findBill(store, a.value(QStringLiteral("bill")));
    if (!ReadHistoryRecord(entry.historyTable, number))
        throw CommandError::failure(
            QStringLiteral("票据“%1”没有序号为 %2 的打印记录。").arg(entry.billName).arg(number));
    if (VoidedRecords::of(entry.historyTable).contains(number))
        throw CommandError::failure(QStringLiteral("序号为 %1 的打印记录已经作废。").arg(number));
    VoidedRecords::mark(entry.historyTable, {number}, reason, Clock::now());
    return 0;
}

} // namespace Commands
