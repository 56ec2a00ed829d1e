#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "issuing/BatchPrint.h"
#include "issuing/BillPicture.h"
#include "issuing/ItemValueRules.h"
#include "issuing/PrintFilledBill.h"
#include "issuing/PrintRecords.h"
#include "issuing/RowFilling.h"
#include "issuing/ValuesFile.h"
#include "platform/Clock.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/SpreadsheetError.h"
#include "store/BillStore.h"
#include "templates/TemplateError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>

#include <cstdio>

namespace {

// Item boxes are taken at the resolution of a common screen, as the filling window takes them.
constexpr int kScreenDpi = 96;

const QString kHelp = QStringLiteral(
    "用法：tarvel print --bill TYPE/NAME --values FILE [--printer NAME | --pdf OUT.pdf] [--dry-run]\n"
    "按数据文件每行打印一张票据。\n"
    "  --values FILE    .xlsx、.xls、.ods 或 UTF-8 制表符分隔的文本文件，- 为标准输入（文本）。\n"
    "                   第一行是表头：设置项名称；“币种”列给出币种名称或序号（0 到 8）。\n"
    "  --printer NAME   在这台打印机上打印，并像“打  印”一样记录打印历史、推进自动编号\n"
    "                   （默认：保存的打印机；只装有一台打印机时用它）；打印机校准过的，按它的校准移动\n"
    "  --pdf OUT.pdf    写成 PDF 文件，每行一页，位置与打印机上相同（不含打印机校准）；不记录任何东西\n"
    "  --dry-run        不打印也不记录，按行输出将要打印的文字（制表符分隔，第一行为设置项名称）\n"
    "每行的值按票据的设置项顺序填入，如同在开票窗口中逐项输入并按回车：先是默认值，\n"
    "然后是项目关系、按识别码查找的基本信息、检查框组和计算方法，最后转换为打印的文字。\n"
    "只要有一行不能打印，就一张也不打印：每个错误报告为“第 N 行，设置项“X”：原因”，退出码 1。");

using PreparedBill = BatchBill;

PreparedBill prepare(BillStore& store, const QString& billArg) {
    return BatchBill::load(Commands::findBill(store, billArg), kScreenDpi);
}

FilledBill startOfBill(const PreparedBill& p) {
    return p.start();
}

QString rowError(const ValuesFile& values, int row, const QString& item, const QString& reason) {
    return QStringLiteral("%1 第 %2 行，设置项“%3”：%4")
        .arg(values.name)
        .arg(values.lineNumbers.at(row))
        .arg(item, reason);
}

// Fills every row as it would print one after the other (numbers advancing); any refusal of any
// row is reported and nothing is printed.
QList<FilledRow> fillAll(const PreparedBill& p, const ValuesFile& values) {
    QStringList errors;
    for (const RowFillError& e : CheckRowHeader(p.blank, values.header))
        errors << QStringLiteral("%1 第 1 行（表头），列“%2”：%3").arg(values.name, e.item, e.reason);
    if (!errors.isEmpty()) {
        for (const QString& e : std::as_const(errors))
            Console::err(e);
        throw CommandError::failure(
            QStringLiteral("数据文件 %1 的表头有误，没有打印任何票据。").arg(values.name));
    }
    QList<FilledRow> rows;
    const FilledBill first = startOfBill(p);
    FilledBill next = first;
    int bad = 0;
    for (int r = 0; r < values.rows.size(); ++r) {
        FilledRow filled = FillBillRow(next, values.header, values.rows.at(r));
        try {
            CheckPrintFonts(filled.bill);
        } catch (const TemplateError& e) {
            filled.errors << RowFillError{QString(), e.message()};
        }
        for (const RowFillError& e : std::as_const(filled.errors))
            Console::err(rowError(values, r, e.item, e.reason));
        if (!filled.errors.isEmpty()) {
            ++bad;
        } else {
            FilledBill printed = filled.bill;
            AdvanceNumbers(printed);
            next = WithRememberedOf(first, printed);
        }
        rows << filled;
    }
    if (bad > 0)
        throw CommandError::failure(
            QStringLiteral("数据文件 %1 中有 %2 行不能打印，没有打印任何票据。").arg(values.name).arg(bad));
    return rows;
}

void dryRun(const PreparedBill& p, const QList<FilledRow>& rows) {
    Console::outFields(PrintedItemNames(p.blank));
    for (const FilledRow& row : rows)
        Console::outFields(PrintedTexts(row.bill, row.currency));
}

void writePdf(const PreparedBill& p, const QList<FilledRow>& rows, const QString& out) {
    QList<PageOfBill> pages;
    for (const FilledRow& row : rows)
        pages << PageOfBill{&row.bill, row.currency};
    QString error;
    bool written = false;
    {
        ProgressReport progress(QStringLiteral("正在写入 PDF"));
        written = WriteBillsPdf(out, pages, p.background, p.blank.page.currencyChoice, kScreenDpi, &error,
                                [&progress](int done, int total) { progress.update(done, total); });
    }
    if (!written)
        throw CommandError::failure(
            QStringLiteral("无法写入 PDF 文件 %1%2")
                .arg(out, error.isEmpty() ? QString() : QStringLiteral("：") + error));
    Console::err(QStringLiteral("已把 %1 张票据写入 %2").arg(rows.size()).arg(out));
}

QString choosePrinterFor(const QString& asked) {
    const QStringList installed = Printing::instance().printers();
    if (!asked.isEmpty()) {
        if (!installed.contains(asked))
            throw CommandError::failure(QStringLiteral("没有打印机“%1”（已安装：%2）")
                                            .arg(asked, installed.isEmpty()
                                                            ? QStringLiteral("无")
                                                            : installed.join(QStringLiteral("、"))));
        return asked;
    }
    const PrinterChoice choice = choosePrinter(installed, Settings::printer());
    switch (choice.outcome) {
    case PrinterChoice::Chosen:
        return choice.printer;
    case PrinterChoice::NoPrinter:
        throw CommandError::failure(QStringLiteral("未找到可以使用的打印机 ！"));
    case PrinterChoice::AskOperator:
        break;
    }
    throw CommandError::usage(QStringLiteral("没有保存的打印机，请用 --printer 指定一台：%1")
                                  .arg(installed.join(QStringLiteral("、"))));
}

// Each row is filled again from the store as it stands after the previous print and goes through
// the print of the filling window: printed, then recorded, one bill at a time.
void printRows(const PreparedBill& p, const ValuesFile& values, const QString& printer) {
    const CheckPrintDefine def = CheckPrintDefine::fromPage(p.blank.page);
    const PrintJobSetup setup = pageSetupFor(def, printer);
    ProgressReport progress(QStringLiteral("正在打印"));
    int printed = 0;
    for (int r = 0; r < values.rows.size(); ++r) {
        const int line = values.lineNumbers.at(r);
        auto stop = [&](const QString& why) {
            return CommandError::failure(
                QStringLiteral("%1 第 %2 行没有打印：%3\n已打印 %4 张票据（数据文件中此行之前的各行）。")
                    .arg(values.name)
                    .arg(line)
                    .arg(why)
                    .arg(printed));
        };
        FilledRow filled = FillBillRow(startOfBill(p), values.header, values.rows.at(r));
        if (!filled.errors.isEmpty())
            throw stop(filled.errors.constFirst().item + QStringLiteral("：") +
                       filled.errors.constFirst().reason);
        FilledBillPrint print;
        print.entry = &p.entry;
        print.bill = &filled.bill;
        print.currency = filled.currency;
        print.currencyShown = p.blank.page.currencyChoice;
        print.background = p.background;
        print.screenDpi = kScreenDpi;
        print.moment = Clock::now();
        PrintOutcome outcome;
        try {
            outcome = PrintFilledBill(print, setup);
        } catch (const std::exception& e) {
            throw stop(QString::fromUtf8(e.what()));
        }
        if (outcome.kind == PrintOutcome::PrintedUnrecorded) {
            ++printed;
            throw CommandError::failure(QStringLiteral("%1 第 %2 行：%3\n已打印 %4 张票据（含此行）。")
                                            .arg(values.name)
                                            .arg(line)
                                            .arg(outcome.message)
                                            .arg(printed));
        }
        if (outcome.kind != PrintOutcome::Recorded)
            throw stop(outcome.message);
        ++printed;
        try {
            SaveNewListEntries(filled.bill);
        } catch (const std::exception& e) {
            Console::err(QStringLiteral("第 %1 行已打印，但新的列表项目未能保存：%2")
                             .arg(line)
                             .arg(QString::fromUtf8(e.what())));
        }
        Console::err(QStringLiteral("%1 第 %2 行已打印").arg(values.name).arg(line));
        progress.update(r + 1, values.rows.size());
    }
    Console::err(QStringLiteral("已在打印机“%1”上打印 %2 张票据").arg(printer).arg(printed));
}

} // namespace

namespace Commands {

int print(const QStringList& args) {
    Parsed a;
    parse(a, args,
          {{QStringLiteral("bill"), QString(), QStringLiteral("TYPE/NAME")},
           {QStringLiteral("values"), QString(), QStringLiteral("FILE")},
           {QStringLiteral("printer"), QString(), QStringLiteral("NAME")},
           {QStringLiteral("pdf"), QString(), QStringLiteral("OUT")},
           {QStringLiteral("dry-run"), QString()}},
          kHelp, 0, 0);
    if (a.helpShown)
        return 0;
    for (const char* required : {"bill", "values"})
        if (!a.isSet(QString::fromLatin1(required)))
            throw CommandError::usage(QStringLiteral("缺少 --%1").arg(QString::fromLatin1(required)));
    const bool dry = a.isSet(QStringLiteral("dry-run"));
    const bool pdf = a.isSet(QStringLiteral("pdf"));
    const bool printer = a.isSet(QStringLiteral("printer"));
    if (int(dry) + int(pdf) + int(printer) > 1)
        throw CommandError::usage(QStringLiteral("--printer、--pdf 和 --dry-run 只能选一个"));

    BillStore store;
    store.reloadTypeNames();
    const PreparedBill prepared = prepare(store, a.value(QStringLiteral("bill")));
    ValuesFile values;
    try {
        values = ValuesFile::read(a.value(QStringLiteral("values")));
    } catch (const SpreadsheetError& e) {
        throw CommandError::failure(e.message());
    }
    // Asking for a printer that is not there is found out before any row is judged.
    const QString printerName = dry || pdf ? QString() : choosePrinterFor(a.value(QStringLiteral("printer")));
    const QList<FilledRow> rows = fillAll(prepared, values);
    if (rows.isEmpty()) {
        Console::err(QStringLiteral("数据文件 %1 没有数据行，没有打印任何票据。").arg(values.name));
        return 0;
    }
    if (dry)
        dryRun(prepared, rows);
    else if (pdf)
        writePdf(prepared, rows, a.value(QStringLiteral("pdf")));
    else
        printRows(prepared, values, printerName);
    return 0;
}

} // namespace Commands
