#include "app/ui/TMainForm.h"
#include "app/ui/TSltPrinterForm.h"
#include "exchange/BillDefineFile.h"
#include "exchange/ui/TLoadBillFileForm.h"
#include "issuing/ui/BillEditorOverlay.h"
#include "issuing/ui/PreBillList.h"
#include "issuing/ui/TMakeBillForm.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/SpreadsheetReader.h"
#include "platform/ui/CupsPrinting.h"
#include "query/ui/HistoryListModel.h"
#include "query/ui/TQueryForm.h"
#include "reference/ReferenceTable.h"
#include "reference/ui/TBussAccountForm.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/PdfPages.h"
#include "support/PrintingTools.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"
#include "templates/Background.h"
#include "templates/ItemType.h"
#include "templates/ui/TAdjPositionForm.h"
#include "templates/ui/TDesignInputForm.h"
#include "templates/ui/TItemSetForm.h"
#include "templates/ui/TSetCalWayForm.h"
#include "templates/ui/TYearConnectForm.h"
#include "templates/ui/TemplateCanvas.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>

// The road of a bill from an empty definition file to paper and back out of a backup, walked
// through the windows as an operator walks it. The steps run in order on one application folder.

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

const QString kBillName = QStringLiteral("工行转帐支票");
const QString kUnitName = QStringLiteral("南京长江贸易有限公司");
const QString kAccount = QStringLiteral("6222020400001234567");
const QString kBank = QStringLiteral("工行南京新街口支行");
const QString kUnitCode = QStringLiteral("NJCJ");

// The cheque as designed: 200 x 90 mm, every item centred in its frame (lengths in 0.1 mm). The
// amount fills the capital and grid items and the fee; the unit's record the account and bank.
struct Design {
    const char* name;
    const char* type;
    int left, top, width, height;
    const char* relation = "";
    const char* formula = "";
    bool input = true; // 是否显示输入
    int group = 0;     // 互锁组
    bool summed = false;
};
const QList<Design> kDesign = {
    {"号码", "自动编号", 1500, 40, 350, 60},
    {"年", "日期(年-大写)", 300, 130, 250, 60, "月-日"},
    {"月", "日期(月-大写)", 600, 130, 150, 60},
    {"日", "日期(日-大写)", 800, 130, 150, 60},
    {"收款人", "业务单位名称", 300, 230, 800, 60},
    {"帐号", "文本", 1150, 230, 750, 60, "收款人-银行帐号"},
    {"开户行", "文本", 1150, 310, 750, 60, "收款人-开户银行"},
    {"金额", "金额(小写)", 1350, 420, 500, 60, "", "", true, 0, true},
    {"大写金额", "金额(大写)", 300, 420, 950, 60, "金额", "", false},
    {"金额对格", "金额(对格)", 1350, 520, 500, 60, "金额", "", false},
    {"手续费", "金额(小写)", 1350, 620, 500, 60, "", "[金额]*0.01", false},
    {"现金", "检查框", 300, 620, 60, 60, "", "", true, 1},
    {"转帐", "检查框", 500, 620, 60, 60, "", "", true, 1},
};

const Design& designOf(const QString& name) {
    for (const Design& d : kDesign)
        if (u8(d.name) == name)
            return d;
    qFatal("no designed item %s", qPrintable(name));
}

// Rows of the designer's item grid.
enum ItemRow {
    LeftRow = 1,
    TopRow = 2,
    WidthRow = 3,
    HeightRow = 4,
    TypeRow = 9,
    ShowInputRow = 10,
    CalcRow = 11,
    RelationRow = 12,
    InterlockRow = 13,
    StatisticsRow = 17,
};

// Acts on the next dialog of the class once it is shown; a step that failed inside leaves it open,
// so it is closed here and the journey reports instead of hanging. The flag tells that it came.
template <typename T> std::shared_ptr<bool> whenOpen(std::function<void(T*)> act) {
    auto seen = std::make_shared<bool>(false);
    whenShown<T>([act, seen](T* d) {
        *seen = true;
        act(d);
        if (d->isVisible())
            d->reject();
    });
    return seen;
}

void clickButton(QWidget* dialog, const char* name) {
    auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY(button);
    button->click();
}

void clickListEntry(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.constFirst()).center());
    QCOMPARE(list->currentItem()->text(), text);
}

void commit(ParameterGrid* grid, QLineEdit* edit, int row, int value) {
    typeInto(grid, row, QString::number(value));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(grid->value(row), QString::number(value));
}

// The bill filling window, as the operator clicks and types on the picture of the bill.
QPoint centreOf(const TMakeBillForm& form, const QString& item) {
    const int i = form.bill().indexOf(item);
    const PixelRect& b = form.bill().items.at(i).box;
    return {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
}
void clickItem(TMakeBillForm& form, const QString& item) {
    QTest::mouseClick(form.pictureView, Qt::LeftButton, {}, centreOf(form, item));
}
void clickAway(TMakeBillForm& form) {
    QTest::mouseClick(form.pictureView, Qt::LeftButton, {}, QPoint(form.pictureView->width() - 2, 2));
}
void typeOver(QWidget* editor, const QString& keys) {
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    typeKeys(editor, keys);
}
void enterValue(TMakeBillForm& form, const QString& item, QWidget* editor, const QString& keys) {
    clickItem(form, item);
    QVERIFY(editor->isVisible());
    typeOver(editor, keys);
    QTest::keyClick(editor, Qt::Key_Return);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int column(const QTableWidget* grid, const QString& header) {
    for (int c = 0; c < grid->columnCount(); ++c)
        if (grid->item(0, c) && grid->item(0, c)->text() == header)
            return c;
    return -1;
}

int column(const HistoryListModel* model, const QString& header) {
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal).toString() == header)
            return c;
    return -1;
}

double points(double tenths) {
    return tenths * 72.0 / 254.0;
}

// The printed text must stand centred in the item's frame as the template places it.
void checkPrintedAt(const QList<PdfPages::Word>& words, const QString& text, const QString& item, int left) {
    const Design& d = designOf(item);
    const QRectF box = PdfPages::find(words, text);
    const QPointF want(points(left + d.width / 2.0), points(d.top + d.height / 2.0));
    if (box.isEmpty()) {
        QStringList line;
        for (const PdfPages::Word& w : words)
            if (qAbs(w.box.center().y() - want.y()) < 5)
                line << w.text;
        QFAIL(qPrintable(
            QStringLiteral("%1: %2 not printed; its line holds: %3").arg(item, text, line.join(' '))));
    }
    QVERIFY2(qAbs(box.center().x() - want.x()) < 1.5 && qAbs(box.center().y() - want.y()) < 1.5,
             qPrintable(QStringLiteral("%1 at %2,%3 pt, designed at %4,%5 pt")
                            .arg(item)
                            .arg(box.center().x())
                            .arg(box.center().y())
                            .arg(want.x())
                            .arg(want.y())));
}

} // namespace

class TestJourney : public QObject {
    Q_OBJECT

    std::unique_ptr<TempAppFolder> m_app;
    QTemporaryDir m_dir;
    ScriptedPrompter* m_prompter = nullptr;
    std::unique_ptr<TMainForm> m_main;
    PdfPrinting* m_pdf = nullptr;
    QString m_definitionFile;
    QString m_jpeg;
    QString m_firstPrint;
    int m_prints = 0;

    BillStore& store() { return m_main->billStore(); }
    MainItemFlag bill() {
        const QList<MainItemFlag> bills = store().billEntriesOfType(0);
        return bills.isEmpty() ? MainItemFlag() : bills.constFirst();
    }
    void usePdfPrinter() {
        auto pdf = std::make_unique<PdfPrinting>(m_dir.filePath(QStringLiteral("pdf")));
        m_pdf = pdf.get();
        Printing::install(std::move(pdf));
    }
    void designItems(TItemSetForm& f);

private slots:
    void initTestCase() {
        Fonts::installSubstitutions();
        m_app = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        Clock::setFixed(QDateTime(QDate(2015, 3, 9), QTime(10, 30)));
        usePdfPrinter();

        // The scanned form: 1000 x 450 dots at 127 dpi, 200 x 90 mm.
        QImage scan(1000, 450, QImage::Format_RGB32);
        scan.fill(QColor(226, 236, 230));
        QPainter p(&scan);
        p.setPen(QPen(QColor(120, 40, 40), 3));
        p.drawRect(20, 20, 960, 410);
        p.end();
        setImageDpi(scan, 127);
        m_jpeg = m_dir.filePath(QStringLiteral("支票扫描.jpg"));
        QVERIFY(scan.save(m_jpeg, "JPEG"));
        // The operator starts from a definition file that is still empty.
        m_definitionFile = m_dir.filePath(QStringLiteral("工行支票.BDF"));
        QFile empty(m_definitionFile);
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();

        m_main = std::make_unique<TMainForm>();
        m_main->resize(1000, 800);
        m_main->show();
        QCOMPARE(m_main->selectedBill(), nullptr);
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        QCOMPARE(m_prompter->texts(QStringLiteral("error")), QStringList());
        m_prompter->clear();
    }
    void cleanupTestCase() {
        m_main.reset();
        Clock::setFixed(QDateTime());
        m_app.reset();
    }

    void designTheCheque();
    void importItAsACheque();
    void addTheBusinessUnit();
    void fillSaveAndPrint();
    void printThePreBillThroughCups();
    void listAndExportTheHistory();
    void adjustAPosition();
    void backUpClearAndRestore();
};

void TestJourney::designTheCheque() {
    // The empty file is no definition file yet: overwriting it is confirmed.
    m_prompter->files = {m_definitionFile, m_jpeg};
    m_prompter->answers = {true};
    bool designed = false;
    auto input = whenOpen<TDesignInputForm>([&](TDesignInputForm* d) {
        QCOMPARE(d->pageGrid->value(PageParameters::TypeRow), u8("支票"));
        QCOMPARE(d->pageGrid->value(PageParameters::DirectionRow), u8("横向打印"));
        doubleClick(d->pageGrid, PageParameters::PictureRow);
        QCOMPARE(d->pageGrid->value(PageParameters::PictureRow), m_jpeg);
        QCOMPARE(d->pageGrid->value(PageParameters::WidthRow), u8("2000"));
        QCOMPARE(d->pageGrid->value(PageParameters::LengthRow), u8("900"));
        typeInto(d->pageGrid, PageParameters::NameRow, kBillName);
        QTest::keyClick(d->pageTextEditor, Qt::Key_Return);
        whenOpen<TItemSetForm>([&](TItemSetForm* f) {
            designItems(*f);
            designed = true;
        });
        clickButton(d, "okButton");
    });
    m_main->designBillAction->trigger();
    QVERIFY(*input);
    QVERIFY(designed);
    QCOMPARE(m_prompter->texts(QStringLiteral("question")), QStringList{u8("存在非票据定义文件，覆盖吗 ？")});
    QVERIFY(BillDefineFile::check(m_definitionFile));
    // The design is in the file only; the working template is empty again.
    QCOMPARE(Sql::rowCount(Database::get(Db::Define), BillStore::workingItemTable()), 0);
}

void TestJourney::designItems(TItemSetForm& f) {
    QVERIFY(f.windowTitle().endsWith(m_definitionFile));
    // The scanned form is the background.
    QVERIFY(f.canvas->background().pixelColor(100, 5) != QColor(Qt::white));
    f.parameterTabs->setCurrentIndex(1);
    for (const Design& d : kDesign) {
        answerName(u8(d.name));
        f.addItemButton->click();
        QCOMPARE(f.itemNameList->currentItem()->text(), u8(d.name));
        if (u8(d.type) != u8("文本")) {
            doubleClick(f.itemGrid, TypeRow);
            choose(f.itemChoiceEditor, u8(d.type));
        }
        // A new item stands beside the last one; through the corner it always fits on the form.
        commit(f.itemGrid, f.itemTextEditor, LeftRow, 0);
        commit(f.itemGrid, f.itemTextEditor, TopRow, 0);
        commit(f.itemGrid, f.itemTextEditor, WidthRow, d.width);
        commit(f.itemGrid, f.itemTextEditor, HeightRow, d.height);
        commit(f.itemGrid, f.itemTextEditor, LeftRow, d.left);
        commit(f.itemGrid, f.itemTextEditor, TopRow, d.top);
    }
    QCOMPARE(f.itemNameList->count(), kDesign.size());

    // Flags and ties after all items exist, as each names others.
    for (const Design& d : kDesign) {
        clickListEntry(f.itemNameList, u8(d.name));
        if (!d.input)
            doubleClick(f.itemGrid, ShowInputRow);
        if (d.summed)
            doubleClick(f.itemGrid, StatisticsRow);
        if (d.group != 0) {
            doubleClick(f.itemGrid, InterlockRow);
            choose(f.itemChoiceEditor, QString::number(d.group));
        }
        const QStringList pair = u8(d.relation).split(QLatin1Char('-'));
        if (pair.size() == 2) {
            // A name item and its record's column, or the year's month and day: the pair dialog.
            whenOpen<TYearConnectForm>([pair](TYearConnectForm* y) {
                QCOMPARE(y->firstSelector->currentText(), pair.at(0));
                y->secondSelector->setCurrentIndex(y->secondSelector->findText(pair.at(1)));
                clickButton(y, "okButton");
            });
            doubleClick(f.itemGrid, RelationRow);
        } else if (!pair.constFirst().isEmpty()) {
            doubleClick(f.itemGrid, RelationRow);
            choose(f.itemChoiceEditor, pair.constFirst());
        }
        if (*d.formula) {
            // Names are inserted from the list, the rest is typed.
            whenOpen<TSetCalWayForm>([formula = u8(d.formula)](TSetCalWayForm* c) {
                for (const QString& part : formula.split(QLatin1Char('['))) {
                    const qsizetype close = part.indexOf(QLatin1Char(']'));
                    if (close >= 0) {
                        const int i = c->entrySelector->findText(QLatin1Char('[') + part.left(close + 1));
                        QVERIFY(i >= 0);
                        c->entrySelector->setCurrentIndex(i);
                        emit c->entrySelector->activated(i);
                    }
                    typeKeys(c->formulaEditor, part.mid(close + 1));
                }
                clickButton(c, "okButton");
            });
            doubleClick(f.itemGrid, CalcRow);
        }
        QCOMPARE(f.itemGrid->value(ShowInputRow), d.input ? PageParameters::checkText() : QString());
        QCOMPARE(f.itemGrid->value(RelationRow), u8(d.relation));
        QCOMPARE(f.itemGrid->value(CalcRow), u8(d.formula));
        QCOMPARE(f.itemGrid->value(InterlockRow), QString::number(d.group));
    }

    QVERIFY(f.modified());
    f.saveButton->click();
    QVERIFY(!f.modified());
    f.exitButton->click();
    QVERIFY(!f.isVisible());
}

void TestJourney::importItAsACheque() {
    m_prompter->files = {m_definitionFile};
    auto import = whenOpen<TLoadBillFileForm>([](TLoadBillFileForm* d) {
        QVERIFY(!d->okButton->isEnabled());
        QTest::mouseClick(d->chooseFileButton, Qt::LeftButton);
        QCOMPARE(d->fileTypeLabel->text(), u8("支票"));
        QCOMPARE(d->fileBillNameLabel->text(), kBillName);
        QCOMPARE(d->billNameEdit->text(), kBillName);
        QCOMPARE(d->typeSelector->currentText(), u8("支票"));
        QTest::mouseClick(d->okButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_main->importBillButton, Qt::LeftButton);
    QVERIFY(*import);

    QCOMPARE(m_main->typeList->item(0, 0)->text(), u8("支票"));
    QCOMPARE(m_main->locationLabel->text(), u8("  目前位置：支票"));
    QCOMPARE(m_main->billList->item(1, 0)->text(), kBillName);
    QVERIFY(m_main->selectedBill());
    QCOMPARE(m_main->selectedBill()->billName, kBillName);

    // The bill holds every designed item as designed, and the scanned picture's bytes.
    const MainItemFlag b = bill();
    QSqlQuery q =
        Sql::exec(Database::get(Db::Bill),
                  QStringLiteral("SELECT \"设置项目名称\", \"横向位置\", \"纵向位置\", \"宽度\", \"高度\", "
                                 "\"设置项类型\", \"是否显示输入\", \"设置项关系\", \"计算方法\", "
                                 "\"互锁组\", \"统计\" FROM %1 ORDER BY \"BillItemNum\"")
                      .arg(Sql::q(b.itemTable)));
    QStringList stored;
    while (q.next()) {
        QStringList row;
        for (int c = 0; c < 11; ++c)
            row << q.value(c).toString();
        stored << row.join(QLatin1Char('|'));
    }
    QStringList designed;
    for (const Design& d : kDesign)
        designed << QStringList{u8(d.name),
                                QString::number(d.left),
                                QString::number(d.top),
                                QString::number(d.width),
                                QString::number(d.height),
                                QString::number(ItemTypes::names().indexOf(u8(d.type))),
                                QString::number(int(d.input)),
                                u8(d.relation),
                                u8(d.formula),
                                QString::number(d.group),
                                QString::number(int(d.summed))}
                        .join(QLatin1Char('|'));
    QCOMPARE(stored, designed);
    QCOMPARE(fileBytes(BillStore::resolvePicturePath(store().storedPicturePath(b))), fileBytes(m_jpeg));
}

void TestJourney::addTheBusinessUnit() {
    auto units = whenOpen<TBussAccountForm>([](TBussAccountForm* d) {
        QCOMPARE(d->windowTitle(), u8("往来业务单位帐户-信息管理"));
        typeKeys(d->unitNameEdit, kUnitName);
        typeKeys(d->accountNumberEdit, kAccount);
        typeKeys(d->bankEdit, kBank);
        typeKeys(d->provinceEdit, u8("江苏"));
        typeKeys(d->cityEdit, u8("南京"));
        typeKeys(d->codeEdit, kUnitCode);
        QVERIFY(d->addButton->isEnabled());
        d->addButton->click();
        QCOMPARE(d->recordList->rowCount(), 1);
        QCOMPARE(d->recordList->item(0, 0)->text(), kUnitName);
        QCOMPARE(d->recordList->item(0, 1)->text(), kAccount);
        d->exitButton->click();
    });
    m_main->businessUnitsAction->trigger();
    QVERIFY(*units);
    const QList<StoredRecord> records = ReferenceTable(u8("业务单位")).records(Schema::businessUnitColumns());
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.constFirst().values,
             (QStringList{kUnitName, kAccount, kBank, u8("江苏"), u8("南京"), kUnitCode}));
}

void TestJourney::fillSaveAndPrint() {
    const MainItemFlag b = bill();
    auto filling = whenOpen<TMakeBillForm>([this, b](TMakeBillForm* f) {
        QCOMPARE(f->windowTitle(), u8("支票--") + kBillName + u8("  开票"));
        QCOMPARE(f->bill().valueOf(u8("年")), u8("2015"));
        QCOMPARE(f->bill().valueOf(u8("月")), u8("03"));
        QCOMPARE(f->bill().valueOf(u8("日")), u8("09"));
        enterValue(*f, u8("日"), f->editors->datePartEditor, u8("15"));
        QCOMPARE(f->bill().valueOf(u8("日")), u8("15"));

        // The code fetches the business unit, and its record the account and the bank.
        enterValue(*f, u8("收款人"), f->editors->memoEditor, kUnitCode.toLower());
        QCOMPARE(f->bill().valueOf(u8("收款人")), kUnitName);
        QCOMPARE(f->bill().valueOf(u8("帐号")), kAccount);
        QCOMPARE(f->bill().valueOf(u8("开户行")), kBank);

        // The amount fills the capital and the grid items and computes the fee.
        enterValue(*f, u8("金额"), f->editors->amountEditor, u8("12345.6"));
        QCOMPARE(f->bill().valueOf(u8("大写金额")), u8("12345.6"));
        QCOMPARE(f->bill().valueOf(u8("金额对格")), u8("12345.6"));
        QCOMPARE(f->bill().valueOf(u8("手续费")), u8("123.46"));

        clickItem(*f, u8("号码"));
        typeOver(f->editors->memoEditor, u8("00000123"));
        clickAway(*f);
        QCOMPARE(f->bill().valueOf(u8("号码")), u8("00000123"));

        clickItem(*f, u8("现金"));
        QCOMPARE(f->bill().valueOf(u8("现金")), u8("√"));
        clickItem(*f, u8("转帐"));
        QCOMPARE(f->bill().valueOf(u8("转帐")), u8("√"));
        QCOMPARE(f->bill().valueOf(u8("现金")), QString());

        f->preBillButton->click();
        QCOMPARE(f->preBillCount(), 1);
        QCOMPARE(f->preBillList->item(1, column(f->preBillList, u8("收款人")))->text(), kUnitName);
        QCOMPARE(f->preBillList->item(1, column(f->preBillList, u8("金额")))->text(), u8("￥12,345.60"));

        f->printButton->click();
        ++m_prints;
        m_firstPrint = m_pdf->lastFile();
        QVERIFY(QFile::exists(m_firstPrint));
        QCOMPARE(Sql::rowCount(Database::get(Db::Bill), b.historyTable), 1);
        // The printed number is used up; the values stay for another copy.
        QCOMPARE(f->bill().valueOf(u8("号码")), u8("00000124"));
        QCOMPARE(f->bill().valueOf(u8("金额")), u8("12345.6"));
        f->exitButton->click();
    });
    m_main->issueButton->click();
    QVERIFY(*filling);

    if (!PdfPages::toolsAvailable())
        SKIP_WITHOUT_PRINTING_TOOLS("poppler's pdftotext and pdftoppm are not installed");
    const QList<PdfPages::Word> words = PdfPages::words(m_firstPrint);
    const QList<std::pair<const char*, QString>> printed = {
        {"号码", u8("00000123")},  {"年", u8("贰零壹伍")},     {"月", u8("零叁")},
        {"日", u8("壹拾伍")},      {"收款人", kUnitName},      {"帐号", kAccount},
        {"开户行", kBank},         {"金额", u8("¥12,345.60")}, {"大写金额", u8("壹万贰仟叁佰肆拾伍元陆角整")},
        {"手续费", u8("¥123.46")}, {"转帐", u8("√")},
    };
    for (const auto& [item, text] : printed)
        checkPrintedAt(words, text, u8(item), designOf(u8(item)).left);
    // The grid amount ends at the frame's right edge, one figure per cell; the cleared box is blank.
    const QRectF grid = PdfPages::find(words, u8("¥1234560"));
    QVERIFY(!grid.isEmpty());
    const Design& cells = designOf(u8("金额对格"));
    QVERIFY2(qAbs(grid.right() - points(cells.left + cells.width)) < 2.0,
             qPrintable(QString::number(grid.right())));
    QCOMPARE(
        std::count_if(words.begin(), words.end(), [](const PdfPages::Word& w) { return w.text == u8("√"); }),
        1);
}

void TestJourney::printThePreBillThroughCups() {
    Printing::install(std::make_unique<CupsPrinting>());
    if (!Printing::instance().printers().contains(QStringLiteral("BillPDF"))) {
        usePdfPrinter();
        SKIP_WITHOUT_PRINTING_TOOLS("the CUPS queue BillPDF is missing (scripts/start-cups.sh)");
    }
    if (!PdfPages::toolsAvailable()) {
        usePdfPrinter();
        SKIP_WITHOUT_PRINTING_TOOLS("poppler's pdftotext and pdftoppm are not installed");
    }
    // The operator chooses the queue once; it is kept as the printer of every bill.
    auto printers = whenOpen<TSltPrinterForm>([](TSltPrinterForm* d) {
        d->printerSelector->setCurrentIndex(d->printerSelector->findText(QStringLiteral("BillPDF")));
        QVERIFY(d->makeDefaultCheck->isChecked());
        clickButton(d, "okButton");
    });
    m_main->choosePrinterAction->trigger();
    QVERIFY(*printers);
    QCOMPARE(Settings::printer(), QStringLiteral("BillPDF"));

    const QDir out(QDir::homePath() + QStringLiteral("/PDF"));
    const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    const MainItemFlag b = bill();
    auto filling = whenOpen<TMakeBillForm>([this, b](TMakeBillForm* f) {
        QCOMPARE(f->preBillCount(), 1);
        QCOMPARE(f->bill().valueOf(u8("金额")), QString());
        f->preBillList->setCurrentCell(1, 0);
        f->preBillList->choosePreBillAction->trigger();
        QCOMPARE(f->bill().valueOf(u8("收款人")), kUnitName);
        QCOMPARE(f->bill().valueOf(u8("金额")), u8("12345.6"));
        QCOMPARE(f->bill().valueOf(u8("转帐")), u8("√"));
        // The number is the next one, not the one of the day the pre-bill was kept.
        QCOMPARE(f->bill().valueOf(u8("号码")), u8("00000124"));
        f->printButton->click();
        ++m_prints;
        QCOMPARE(Sql::rowCount(Database::get(Db::Bill), b.historyTable), 2);
        QCOMPARE(f->bill().valueOf(u8("号码")), u8("00000125"));
        f->exitButton->click();
    });
    m_main->issueButton->click();
    QVERIFY(*filling);

    const QString arrived = PdfPages::awaitCupsPdf(out, before, u8("打印票据：") + kBillName, 60000);
    QVERIFY2(!arrived.isEmpty(), "the job arrived in ~/PDF");
    // The queue's PDF carries glyphs without text: the ink must stand where the direct print put it.
    const QRect cups = PdfPages::inkBounds(arrived);
    const QRect direct = PdfPages::inkBounds(m_firstPrint);
    QFile::remove(arrived);
    QVERIFY(direct.isValid());
    QVERIFY2(qAbs(cups.left() - direct.left()) <= 2 && qAbs(cups.top() - direct.top()) <= 2 &&
                 qAbs(cups.right() - direct.right()) <= 5 && qAbs(cups.bottom() - direct.bottom()) <= 2,
             qPrintable(QStringLiteral("%1,%2 %3x%4 against %5,%6 %7x%8")
                            .arg(cups.left())
                            .arg(cups.top())
                            .arg(cups.width())
                            .arg(cups.height())
                            .arg(direct.left())
                            .arg(direct.top())
                            .arg(direct.width())
                            .arg(direct.height())));
    usePdfPrinter();
}

void TestJourney::listAndExportTheHistory() {
    const QString sheet = m_dir.filePath(QStringLiteral("打印记录.xls"));
    m_prompter->files = {sheet};
    auto query = whenOpen<TQueryForm>([this, sheet](TQueryForm* d) {
        QCOMPARE(d->typeSelector->currentText(), u8("支票"));
        QCOMPARE(d->billSelector->currentText(), kBillName);
        QCOMPARE(d->toDateEdit->displayText(), u8("2015年03月09日"));
        d->listButton->click();
        QCOMPARE(d->printCountEdit->text(), QString::number(m_prints));
        const HistoryListModel* m = d->listModel();
        const int amount = column(m, u8("金额"));
        const int payee = column(m, u8("收款人"));
        QVERIFY(amount > 0 && payee > 0);
        QCOMPARE(m->rowCount(), m_prints + 1);
        for (int r = 0; r < m_prints; ++r) {
            QCOMPARE(m->text(r, amount), u8("￥12,345.60"));
            QCOMPARE(m->text(r, payee), kUnitName);
        }
        QCOMPARE(m->text(m_prints, 0), u8("合计"));
        QCOMPARE(m->text(m_prints, amount), m_prints == 2 ? u8("￥24,691.20") : u8("￥12,345.60"));

        d->exportButton->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("notice")),
                 QStringList{u8("Excel文件已保存为 ") + sheet + u8("x")});
        d->exitButton->click();
    });
    QTest::mouseClick(m_main->queryButton, Qt::LeftButton);
    QVERIFY(*query);

    const SheetTexts texts = SpreadsheetReader::readActiveSheet(sheet + u8("x"));
    QCOMPARE(texts.rowCount, m_prints + 2);
    const int amount = int(texts.rows.at(0).indexOf(u8("金额")));
    QVERIFY(amount >= 0);
    QCOMPARE(texts.rows.at(0).at(0), u8("打印日期"));
    QVERIFY(texts.rows.at(1).at(0).startsWith(u8("2015年03月09日")));
    QCOMPARE(texts.rows.at(1).at(amount), u8("￥12,345.60"));
}

void TestJourney::adjustAPosition() {
    const MainItemFlag b = bill();
    auto adjusting = whenOpen<TAdjPositionForm>([](TAdjPositionForm* d) {
        QCOMPARE(d->itemNameList->count(), kDesign.size());
        clickListEntry(d->itemNameList, u8("号码"));
        QCOMPARE(d->itemGrid->value(LeftRow), u8("1500"));
        commit(d->itemGrid, d->itemTextEditor, LeftRow, 1600);
        QVERIFY(d->modified());
        d->saveButton->click();
        QVERIFY(!d->modified());
        d->exitButton->click();
    });
    QTest::mouseClick(m_main->adjustPositionButton, Qt::LeftButton);
    QVERIFY(*adjusting);
    const QVariant left = Sql::scalar(
        Database::get(Db::Bill),
        QStringLiteral("SELECT \"横向位置\" FROM %1 WHERE \"设置项目名称\"=?").arg(Sql::q(b.itemTable)),
        {u8("号码")});
    QCOMPARE(left.toInt(), 1600);
}

void TestJourney::backUpClearAndRestore() {
    const QString backup = m_dir.filePath(QStringLiteral("全部.SBF"));
    const MainItemFlag before = bill();
    const QSqlDatabase db = Database::get(Db::Bill);
    const QList<QVariantList> history = Sql::allRows(db, before.historyTable);
    const QList<QVariantList> items = Sql::allRows(db, before.itemTable);

    m_prompter->files = {backup};
    m_prompter->answers = {true};
    m_main->exportBackupAction->trigger();
    QCOMPARE(m_prompter->texts(QStringLiteral("question")), QStringList{u8("备份后清除系统记录吗？")});
    QVERIFY(QFile::exists(backup));
    QCOMPARE(m_main->selectedBill(), nullptr);
    QCOMPARE(m_main->typeList->item(0, 0)->text(), QString());
    QCOMPARE(Sql::rowCount(db, BillStore::masterTable()), 0);
    QCOMPARE(ReferenceTable(u8("业务单位")).count(), 0);
    QVERIFY(QDir(AppPaths::pictureDir()).entryList(QDir::Files).isEmpty());

    m_prompter->files = {backup};
    m_main->importBackupAction->trigger();
    QCOMPARE(m_main->typeList->item(0, 0)->text(), u8("支票"));
    QVERIFY(m_main->selectedBill());
    QCOMPARE(m_main->selectedBill()->billName, kBillName);
    const MainItemFlag after = bill();
    QCOMPARE(Sql::allRows(db, after.historyTable), history);
    QCOMPARE(Sql::allRows(db, after.itemTable), items);
    QCOMPARE(Sql::rowCount(db, after.preBillTable), 1);
    QCOMPARE(ReferenceTable(u8("业务单位")).records(Schema::businessUnitColumns()).constFirst().values,
             (QStringList{kUnitName, kAccount, kBank, u8("江苏"), u8("南京"), kUnitCode}));
    QCOMPARE(fileBytes(BillStore::resolvePicturePath(store().storedPicturePath(after))), fileBytes(m_jpeg));

    // The restored bill goes on where it stopped: the next number, the unit by its code, and the
    // number printed where it was moved to.
    auto filling = whenOpen<TMakeBillForm>([this](TMakeBillForm* f) {
        QCOMPARE(f->bill().valueOf(u8("号码")), m_prints == 2 ? u8("00000125") : u8("00000124"));
        enterValue(*f, u8("收款人"), f->editors->memoEditor, kUnitCode);
        QCOMPARE(f->bill().valueOf(u8("帐号")), kAccount);
        enterValue(*f, u8("金额"), f->editors->amountEditor, u8("100"));
        f->printButton->click();
        ++m_prints;
        f->exitButton->click();
    });
    m_main->issueButton->click();
    QVERIFY(*filling);
    QCOMPARE(Sql::rowCount(db, after.historyTable), m_prints);
    if (!PdfPages::toolsAvailable())
        SKIP_WITHOUT_PRINTING_TOOLS("poppler's pdftotext is not installed");
    const QList<PdfPages::Word> words = PdfPages::words(m_pdf->lastFile());
    checkPrintedAt(words, m_prints == 3 ? u8("00000125") : u8("00000124"), u8("号码"), 1600);
    checkPrintedAt(words, u8("壹佰元整"), u8("大写金额"), designOf(u8("大写金额")).left);
}

QTEST_MAIN(TestJourney)
#include "tst_journey.moc"
