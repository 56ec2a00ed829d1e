#include "issuing/BatchPrint.h"

#include "issuing/BillPicture.h"
#include "issuing/BillPrint.h"
#include "issuing/CurrencyTable.h"
#include "issuing/ItemValueRules.h"
#include "issuing/PreBillTable.h"
#include "issuing/PrintFilledBill.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "platform/SpreadsheetWriter.h"
#include "query/HistoryQuery.h"
#include "store/BillStore.h"
#include "templates/TemplateError.h"

#include <QUrl>

#include <array>

namespace {

QString settingsKey(const MainItemFlag& entry) {
    return QStringLiteral("BatchColumns/") +
           QString::fromLatin1(
               QUrl::toPercentEncoding(QString::number(entry.typeIndex) + QLatin1Char('/') + entry.billName));
}

// The item names and the cells of a data row as the row filling takes them.
void mappedRow(const QStringList& header, const ColumnMapping& mapping, const QStringList& cells,
               QStringList& names, QStringList& values) {
    names.clear();
    values.clear();
    for (auto it = mapping.cbegin(); it != mapping.cend(); ++it) {
        const qsizetype column = header.indexOf(it.value());
        if (column < 0)
            continue;
        names << it.key();
        values << cells.value(column);
    }
}

FilledRow fillRow(const FilledBill& start, const QStringList& header, const ColumnMapping& mapping,
                  const QStringList& cells) {
    QStringList names, values;
    mappedRow(header, mapping, cells, names, values);
    FilledRow filled = FillBillRow(start, names, values);
    try {
        CheckPrintFonts(filled.bill);
    } catch (const TemplateError& e) {
        filled.errors << RowFillError{QString(), e.message()};
    }
    return filled;
}

void describe(BatchRow& row) {
    row.texts = PrintedTexts(row.filled.bill, row.filled.currency);
    if (row.filled.errors.isEmpty()) {
        if (row.state == BatchRow::State::Error)
            row.state = BatchRow::State::Ready;
        row.message.clear();
        return;
    }
    row.state = BatchRow::State::Error;
    row.chosen = false;
    QStringList reasons;
    for (const RowFillError& e : std::as_const(row.filled.errors))
        reasons << (e.item.isEmpty() ? e.reason : QStringLiteral("“%1”：%2").arg(e.item, e.reason));
    row.message = reasons.join(QStringLiteral("；"));
}

QString automaticNumbers(const FilledBill& bill) {
    QStringList numbers;
    for (int i = 0; i < bill.count(); ++i)
        if (bill.items.at(i).type == ItemType::AutoNumber && !bill.values.at(i).isEmpty())
            numbers << bill.values.at(i);
    return numbers.join(QStringLiteral("、"));
}

bool countsAsAmount(const TemplateItem& item) {
    return item.statistics && ItemTypes::isAmount(item.type);
}

} // namespace

BatchBill BatchBill::load(const MainItemFlag& entry, int screenDpi) {
    BatchBill b;
    b.entry = entry;
    b.screenDpi = screenDpi;
    BillStore store;
    store.loadWorkingTemplate(entry);
    b.blank = LoadWorkingBill(screenDpi);
    // The picture moves the boxes of items that show their title, as on screen.
    BillPicture picture;
    picture.build(b.blank, screenDpi);
    b.background = picture.background();
    return b;
}

FilledBill BatchBill::start() const {
    FilledBill bill = blank;
    SetDefaultValues(bill, Clock::now());
    LoadRememberedItems(entry.autoTable, bill, Remembered::All);
    return bill;
}

QStringList MappableNames(const FilledBill& blank) {
    QStringList names;
    for (const TemplateItem& item : blank.items)
        if (item.showInput && !names.contains(item.name))
            names << item.name;
    if (blank.page.currencyChoice)
        names << CurrencyColumnName();
    return names;
}

ColumnMapping MatchColumns(const FilledBill& blank, const QStringList& header,
                           const ColumnMapping& remembered) {
    ColumnMapping mapping;
    QStringList trimmed;
    for (const QString& h : header)
        trimmed << h.trimmed();
    for (const QString& name : MappableNames(blank)) {
        if (trimmed.contains(name))
            mapping.insert(name, name);
        else if (remembered.contains(name) && trimmed.contains(remembered.value(name)))
            mapping.insert(name, remembered.value(name));
    }
    return mapping;
}

ColumnMapping RememberedMapping(const MainItemFlag& entry) {
    ColumnMapping mapping;
    const QString stored = Settings::value(settingsKey(entry));
    for (const QString& pair : stored.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        mapping.insert(QUrl::fromPercentEncoding(pair.left(eq).toLatin1()),
                       QUrl::fromPercentEncoding(pair.mid(eq + 1).toLatin1()));
    }
    return mapping;
}

bool RememberMapping(const MainItemFlag& entry, const ColumnMapping& mapping) {
    QStringList pairs;
    for (auto it = mapping.cbegin(); it != mapping.cend(); ++it)
        pairs << QString::fromLatin1(QUrl::toPercentEncoding(it.key()) + '=' +
                                     QUrl::toPercentEncoding(it.value()));
    pairs.sort();
    return Settings::setValue(settingsKey(entry), pairs.join(QLatin1Char('&')));
}

QList<BatchRow> ReviewRows(const BatchBill& bill, const QStringList& header, const QList<QStringList>& rows,
                           const QList<int>& lines, const ColumnMapping& mapping) {
    QList<BatchRow> review;
    const FilledBill first = bill.start();
    FilledBill next = first;
    for (int r = 0; r < rows.size(); ++r) {
        BatchRow row;
        row.line = lines.value(r, r + 2);
        row.cells = rows.at(r);
        row.filled = fillRow(next, header, mapping, row.cells);
        describe(row);
        if (row.state == BatchRow::State::Ready) {
            row.chosen = true;
            FilledBill printed = row.filled.bill;
            AdvanceNumbers(printed);
            next = WithRememberedOf(first, printed);
        }
        review << row;
    }
    return review;
}

void RefillRow(const BatchBill& bill, const QStringList& header, const ColumnMapping& mapping,
               BatchRow& row) {
    if (row.corrected) {
        row.filled = FilledRow{*row.corrected, row.correctedCurrency, {}};
        LoadRememberedItems(bill.entry.autoTable, row.filled.bill, Remembered::NumbersOnly);
        try {
            CheckPrintFonts(row.filled.bill);
        } catch (const TemplateError& e) {
            row.filled.errors << RowFillError{QString(), e.message()};
        }
    } else {
        row.filled = fillRow(bill.start(), header, mapping, row.cells);
    }
    describe(row);
}

void CorrectBatchRow(const BatchBill& bill, BatchRow& row, const FilledBill& values, int currency) {
    row.corrected = values;
    row.correctedCurrency = currency;
    if (row.state == BatchRow::State::Failed || row.state == BatchRow::State::PreBilled)
        row.state = BatchRow::State::Ready;
    RefillRow(bill, {}, {}, row);
    if (row.state == BatchRow::State::Ready)
        row.chosen = true;
}

QList<BatchTotal> ChosenTotals(const BatchBill& bill, const QList<BatchRow>& rows) {
    QList<BatchTotal> totals;
    for (int i = 0; i < bill.blank.count(); ++i) {
        if (!countsAsAmount(bill.blank.items.at(i)))
            continue;
        std::array<DecimalSum, CurrencyTable::Count> sums;
        for (const BatchRow& row : rows) {
            const bool counted =
                row.state == BatchRow::State::Printed || (row.chosen && row.state != BatchRow::State::Error);
            if (counted && row.filled.currency >= 0 && row.filled.currency < CurrencyTable::Count)
                sums[size_t(row.filled.currency)].add(row.filled.bill.values.value(i));
        }
        BatchTotal total;
        total.item = bill.blank.items.at(i).name;
        for (int c = 0; c < CurrencyTable::Count; ++c)
            if (!sums[size_t(c)].isZero())
                total.perCurrency << TotalAmountText(c, sums[size_t(c)]);
        if (total.perCurrency.isEmpty())
            total.perCurrency << TotalAmountText(0, DecimalSum());
        totals << total;
    }
    return totals;
}

PrintOutcome PrintBatchRow(const BatchBill& bill, const QStringList& header, const ColumnMapping& mapping,
                           BatchRow& row, const PrintJobSetup& setup) {
    if (row.state == BatchRow::State::Error)
        return {PrintOutcome::NotPrinted, row.message};
    // The numbers are the store's at this moment: another bill may have printed since the review.
    RefillRow(bill, header, mapping, row);
    if (row.state == BatchRow::State::Error)
        return {PrintOutcome::NotPrinted, row.message};
    const QString numbers = automaticNumbers(row.filled.bill);
    const FilledBill printedValues = row.filled.bill;
    FilledBillPrint print;
    print.entry = &bill.entry;
    print.bill = &row.filled.bill;
    print.currency = row.filled.currency;
    print.currencyShown = bill.blank.page.currencyChoice;
    print.background = bill.background;
    print.screenDpi = bill.screenDpi;
    print.moment = Clock::now();
    const PrintOutcome outcome = PrintFilledBill(print, setup);
    // The row keeps the values it printed with; the bill's advanced numbers belong to the next.
    row.filled.bill = printedValues;
    switch (outcome.kind) {
    case PrintOutcome::Recorded:
        row.state = BatchRow::State::Printed;
        row.numbers = numbers;
        row.message.clear();
        row.chosen = false;
        SaveNewListEntries(printedValues);
        break;
    case PrintOutcome::PrintedUnrecorded:
        // On paper, so never printed again by accident; the message says what was not kept.
        row.state = BatchRow::State::Printed;
        row.numbers = numbers;
        row.message = outcome.message;
        row.chosen = false;
        break;
    default:
        row.state = BatchRow::State::Failed;
        row.message = outcome.message;
        break;
    }
    return outcome;
}

void PreBillBatchRow(const BatchBill& bill, BatchRow& row) {
    const PreBillTable table(bill.entry.preBillTable);
    const int number = int(table.renumberAndRead().size()) + 1;
    table.append(number, row.filled.currency, row.filled.bill);
    row.state = BatchRow::State::PreBilled;
    row.chosen = false;
}

QString StateText(BatchRow::State state) {
    switch (state) {
    case BatchRow::State::Ready:
        return QStringLiteral("可打印");
    case BatchRow::State::Error:
        return QStringLiteral("有错误");
    case BatchRow::State::Printed:
        return QStringLiteral("已打印");
    case BatchRow::State::PreBilled:
        return QStringLiteral("已预开票");
    case BatchRow::State::Failed:
        return QStringLiteral("打印失败");
    }
    return {};
}

void ExportReview(const QString& path, const BatchBill& bill, const QList<BatchRow>& rows) {
    SpreadsheetWriter writer(path);
    QStringList header{QStringLiteral("行号"), QStringLiteral("选择"), QStringLiteral("状态"),
                       QStringLiteral("编号"), QStringLiteral("说明")};
    header << PrintedItemNames(bill.blank);
    writer.addRow(header);
    for (const BatchRow& row : rows) {
        QStringList line{QString::number(row.line), row.chosen ? QStringLiteral("√") : QString(),
                         StateText(row.state), row.numbers, row.message};
        line << row.texts;
        writer.addRow(line);
    }
    writer.addRow({});
    for (const BatchTotal& total : ChosenTotals(bill, rows))
        writer.addRow(QStringList{QStringLiteral("合计"), QString(), QString(), QString(), total.item} +
                      total.perCurrency);
    writer.save();
}
