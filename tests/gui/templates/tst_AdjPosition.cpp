#include "app/ui/TMainForm.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/PdfPages.h"
#include "support/PrintingTools.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"
#include "templates/ui/ParameterGrid.h"
#include "templates/ui/TAdjPositionForm.h"
#include "templates/ui/TemplateCanvas.h"

#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

enum PageRow { LeftMarginRow, TopMarginRow, DirectionRow, CurrencyRow, BackgroundRow };
enum ItemRow { NameRow, LeftRow, TopRow, WidthRow, HeightRow, FontRow, SpacingRow, AlignmentRow, PrintedRow };

QList<QVariantList> rows(const QString& table) {
    return Sql::allRows(Database::get(Db::Bill), table);
}

// The x of the leftmost word of a PDF page, in points.
double leftmostWord(const QString& pdf) {
    double x = 1e9;
    for (const PdfPages::Word& w : PdfPages::words(pdf))
        x = std::min(x, w.box.left());
    return x;
}

} // namespace

class TestAdjPosition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::installSubstitutions(); }
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        m_store.ensureBillTypeTable();
    }
    void cleanup() {
        m_form.reset();
        m_app.reset();
    }

    void editorsKeepTheirRules();
    void alignmentMovesTextInsideTheFrame();
    void dragIsWrittenBackInTenths();
    void exitLeavesTheBillAsItWas();
    void saveWritesOnlyTheNineParameters();
    void marginMustBeANumber_data();
    void marginMustBeANumber();
    void testPrintUsesUnsavedMargins();
    void templateWithoutItemsSavesThePageRow();
    void unreadableFontIsToldAndTheWindowStaysUsable();
    void openedFromTheMainWindow();

private:
    TAdjPositionForm& open(const QList<FixtureItem>& items = {{u8("金额"), 8, true, true}, {u8("用途"), 0}}) {
        m_bill = addFixtureBill(m_store, 0, u8("转账支票"), items);
        m_store.loadWorkingTemplate(m_bill);
        m_form = std::make_unique<TAdjPositionForm>(m_store, m_bill);
        m_form->show();
        return *m_form;
    }

    std::unique_ptr<TempAppFolder> m_app;
    ScriptedPrompter* m_prompter = nullptr;
    BillStore m_store;
    MainItemFlag m_bill;
    std::unique_ptr<TAdjPositionForm> m_form;
};

void TestAdjPosition::editorsKeepTheirRules() {
    TAdjPositionForm& form = open();
    QCOMPARE(form.itemNameList->count(), 2);
    QCOMPARE(form.itemGrid->value(NameRow), u8("金额"));
    QCOMPARE(form.pageGrid->value(DirectionRow), u8("横向打印"));

    typeInto(form.itemGrid, WidthRow, u8("12345"));
    QCOMPARE(form.itemTextEditor->text(), u8("1234"));
    QTest::keyClick(form.itemTextEditor, Qt::Key_Return);
    QCOMPARE(form.billTemplate().items[0].width, 1234);

    // A width that takes the item beyond the picture is undone.
    typeInto(form.itemGrid, LeftRow, u8("2300"));
    QTest::keyClick(form.itemTextEditor, Qt::Key_Return);
    QCOMPARE(form.billTemplate().items[0].left, 10);
    QCOMPARE(form.itemGrid->value(LeftRow), u8("10"));

    // The name cannot be edited here.
    doubleClick(form.itemGrid, NameRow);
    QVERIFY(!form.itemTextEditor->isVisible());

    typeInto(form.pageGrid, LeftMarginRow, u8("-15"));
    QCOMPARE(form.pageTextEditor->text(), u8("-15"));
    typeKeys(form.pageTextEditor, u8("-"));
    QTest::keyClick(form.pageTextEditor, Qt::Key_Home);
    typeKeys(form.pageTextEditor, u8("-"));
    QCOMPARE(form.pageTextEditor->text(), u8("-15"));
    QTest::keyClick(form.pageTextEditor, Qt::Key_Return);
    QCOMPARE(form.pageGrid->value(LeftMarginRow), u8("-15"));
    QVERIFY(form.modified());

    // The arrow keys step the drop-down's choice; Esc puts the old one back, Enter takes it.
    doubleClick(form.pageGrid, DirectionRow);
    QTest::keyClick(form.pageChoiceEditor, Qt::Key_Down);
    QVERIFY(form.pageChoiceEditor->isVisible());
    QTest::keyClick(form.pageChoiceEditor, Qt::Key_Escape);
    QCOMPARE(form.pageGrid->value(DirectionRow), u8("横向打印"));
    doubleClick(form.pageGrid, DirectionRow);
    QTest::keyClick(form.pageChoiceEditor, Qt::Key_Down);
    QTest::keyClick(form.pageChoiceEditor, Qt::Key_Return);
    QVERIFY(!form.pageChoiceEditor->isVisible());
    QCOMPARE(form.pageGrid->value(DirectionRow), u8("纵向打印"));

    // Both grids show every row without scrolling.
    for (ParameterGrid* grid : {form.pageGrid, form.itemGrid})
        QCOMPARE(grid->rowViewportPosition(grid->rowCount() - 1) + grid->rowHeight(0) <=
                     grid->viewport()->height(),
                 true);
}

// 向右 is stored as 2; the frame stays, the text moves to its right edge.
void TestAdjPosition::alignmentMovesTextInsideTheFrame() {
    TAdjPositionForm& form = open();
    form.itemNameList->setCurrentRow(1);
    const PixelRect frame = form.billTemplate().items[1].box;
    const PixelRect centred = form.billTemplate().items[1].textRect;
    doubleClick(form.itemGrid, AlignmentRow);
    choose(form.itemChoiceEditor, u8("向右"));
    const TemplateItem& it = form.billTemplate().items[1];
    QCOMPARE(it.alignment, quint8(2));
    QCOMPARE(it.box, frame);
    QVERIFY(it.textRect.left > centred.left);
    QVERIFY(it.textRect.right >= frame.right - 1);
    QCOMPARE(form.itemGrid->value(AlignmentRow), u8("向右"));
}

// A drag moves the item; the new position arrives in tenths of a millimetre, rounded up.
void TestAdjPosition::dragIsWrittenBackInTenths() {
    TAdjPositionForm& form = open();
    TemplateCanvas* canvas = form.canvas;
    const int dpi = canvas->dpi();
    // 用途 is a 文本 item: its frame is its box.
    const PixelRect box = form.billTemplate().items[1].box;
    const QPoint start(box.left + 20, box.top + 10);
    QTest::mousePress(canvas, Qt::LeftButton, {}, start);
    QCOMPARE(form.selectedIndex(), 1);
    QTest::mouseMove(canvas, start + QPoint(40, 25));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, start + QPoint(40, 25));
    const TemplateItem& it = form.billTemplate().items[1];
    QCOMPARE(it.left, int(std::ceil((box.left + 40) * 254.0 / dpi)));
    QCOMPARE(it.top, int(std::ceil((box.top + 25) * 254.0 / dpi)));
    QCOMPARE(it.width, 300);
    QCOMPARE(it.height, 60);
    QCOMPARE(form.itemGrid->value(LeftRow), QString::number(it.left));
    QVERIFY(form.modified());

    // A press outside every item does nothing here (no rubber band).
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(canvas->width() - 5, 5));
    QCOMPARE(form.selectedIndex(), 1);
    QVERIFY(canvas->selectionShown());
}

void TestAdjPosition::exitLeavesTheBillAsItWas() {
    TAdjPositionForm& form = open();
    const auto page = rows(m_bill.typeTable);
    const auto items = rows(m_bill.itemTable);
    typeInto(form.pageGrid, TopMarginRow, u8("40"));
    QTest::keyClick(form.pageTextEditor, Qt::Key_Return);
    doubleClick(form.itemGrid, PrintedRow);
    QVERIFY(!form.billTemplate().items[0].printed);
    form.exitButton->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(m_prompter->asked.size(), 0);
    QCOMPARE(rows(m_bill.typeTable), page);
    QCOMPARE(rows(m_bill.itemTable), items);

    // Opened again, the stored values show.
    m_store.loadWorkingTemplate(m_bill);
    TAdjPositionForm again(m_store, m_bill);
    again.show();
    QCOMPARE(again.pageGrid->value(TopMarginRow), u8("0"));
    QCOMPARE(again.itemGrid->value(PrintedRow), PageParameters::checkText());
}

// Saving writes the nine position parameters of each item and the page values into the bill;
// what else the working template holds reaches the bill untouched.
void TestAdjPosition::saveWritesOnlyTheNineParameters() {
    TAdjPositionForm& form = open();
    // Something only the designer changes, put into the working template behind the window's back.
    Sql::exec(
        Database::get(Db::Define),
        QStringLiteral(
            "UPDATE \"基本设置项\" SET \"计算方法\"='[用途]*2', \"设置项类型\"=7 WHERE \"设置项目名称\"=?"),
        {u8("金额")});
    typeInto(form.itemGrid, HeightRow, u8("80"));
    QTest::keyClick(form.itemTextEditor, Qt::Key_Return);
    doubleClick(form.itemGrid, AlignmentRow);
    choose(form.itemChoiceEditor, u8("右下角"));
    typeInto(form.pageGrid, LeftMarginRow, u8("-15"));
    QTest::keyClick(form.pageTextEditor, Qt::Key_Return);
    doubleClick(form.pageGrid, DirectionRow);
    choose(form.pageChoiceEditor, u8("纵向打印"));
    doubleClick(form.pageGrid, BackgroundRow);
    QVERIFY(form.save());
    QVERIFY(!form.modified());

    QSqlDatabase db = Database::get(Db::Bill);
    QSqlQuery q =
        Sql::exec(db,
                  QStringLiteral("SELECT \"高度\",\"打印对齐\",\"计算方法\",\"设置项类型\",\"查询\",\"统计\" "
                                 "FROM %1 WHERE \"设置项目名称\"=?")
                      .arg(Sql::q(m_bill.itemTable)),
                  {u8("金额")});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 80);
    QCOMPARE(q.value(1).toInt(), 8);
    QCOMPARE(q.value(2).toString(), u8("[用途]*2"));
    QCOMPARE(q.value(3).toInt(), 7);
    QCOMPARE(q.value(4).toInt(), 1);
    QCOMPARE(q.value(5).toInt(), 1);
    QSqlQuery p = Sql::exec(
        db, QStringLiteral("SELECT \"票据左空\",\"打印方向\",\"打印背景\",\"票据名称\",\"票据宽\" FROM %1")
                .arg(Sql::q(m_bill.typeTable)));
    QVERIFY(p.next());
    QCOMPARE(p.value(0).toInt(), -15);
    QCOMPARE(p.value(1).toInt(), 1);
    QCOMPARE(p.value(2).toInt(), 1);
    QCOMPARE(p.value(3).toString(), u8("转账支票"));
    QCOMPARE(p.value(4).toInt(), 2400);
    QCOMPARE(Sql::rowCount(db, m_bill.itemTable), 2);
}

void TestAdjPosition::marginMustBeANumber_data() {
    QTest::addColumn<QString>("margin");
    QTest::newRow("empty") << QString();
    QTest::newRow("only a minus") << u8("-");
}

// A margin that is not a number is refused with a message, for saving and for the test print;
// the window stays with the values as typed and the bill is unchanged.
void TestAdjPosition::marginMustBeANumber() {
    QFETCH(QString, margin);
    TAdjPositionForm& form = open();
    const auto page = rows(m_bill.typeTable);
    typeInto(form.pageGrid, TopMarginRow, margin);
    QTest::keyClick(form.pageTextEditor, Qt::Key_Return);
    QVERIFY(!form.save());
    form.testPrintButton->click();
    QCOMPARE(m_prompter->texts(QStringLiteral("warning")),
             QStringList(2, u8("票据顶空必须是整数，请重新输入 ！")));
    QVERIFY(form.isVisible());
    QVERIFY(form.modified());
    QCOMPARE(form.pageGrid->value(TopMarginRow), margin);
    QCOMPARE(rows(m_bill.typeTable), page);
}

// The test print takes the margins as typed, before they are saved.
void TestAdjPosition::testPrintUsesUnsavedMargins() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        SKIP_WITHOUT_PRINTING_TOOLS("pdftotext is not installed");
    QTemporaryDir dir;
    auto* pdf = new PdfPrinting(dir.path(), 600);
    Printing::install(std::unique_ptr<Printing>(pdf));
    TAdjPositionForm& form = open({{u8("用途"), 0}});
    form.testPrintButton->click();
    const double before = leftmostWord(pdf->lastFile());
    typeInto(form.pageGrid, LeftMarginRow, u8("254"));
    QTest::keyClick(form.pageTextEditor, Qt::Key_Return);
    form.testPrintButton->click();
    const double after = leftmostWord(pdf->lastFile());
    QVERIFY2(qAbs(after - before - 72.0) < 0.5, qPrintable(QStringLiteral("%1 %2").arg(before).arg(after)));
    QCOMPARE(m_prompter->unexpected, 0);
}

void TestAdjPosition::templateWithoutItemsSavesThePageRow() {
    TAdjPositionForm& form = open({});
    QCOMPARE(form.itemNameList->count(), 0);
    QCOMPARE(form.itemGrid->value(NameRow), QString());
    doubleClick(form.pageGrid, CurrencyRow);
    QVERIFY(form.save());
    QSqlQuery p = Sql::exec(Database::get(Db::Bill),
                            QStringLiteral("SELECT \"币种选择\" FROM %1").arg(Sql::q(m_bill.typeTable)));
    QVERIFY(p.next());
    QCOMPARE(p.value(0).toInt(), 1);
    QCOMPARE(Sql::rowCount(Database::get(Db::Bill), m_bill.itemTable), 0);
}

void TestAdjPosition::unreadableFontIsToldAndTheWindowStaysUsable() {
    m_bill = addFixtureBill(m_store, 0, u8("转账支票"), {{u8("金额"), 8, true, true}, {u8("用途"), 0}});
    Sql::exec(
        Database::get(Db::Bill),
        QStringLiteral("UPDATE %1 SET \"字体\"=? WHERE \"设置项目名称\"=?").arg(Sql::q(m_bill.itemTable)),
        {u8("宋体-九"), u8("用途")});
    m_store.loadWorkingTemplate(m_bill);
    TAdjPositionForm form(m_store, m_bill);
    form.show();
    QCOMPARE(m_prompter->texts(QStringLiteral("error")).size(), 1);
    QVERIFY(m_prompter->texts(QStringLiteral("error")).first().startsWith(u8("用途")));
    form.itemNameList->setCurrentRow(1);
    typeInto(form.itemGrid, LeftRow, u8("400"));
    QTest::keyClick(form.itemTextEditor, Qt::Key_Return);
    QCOMPARE(form.billTemplate().items[1].left, 400);
}

void TestAdjPosition::openedFromTheMainWindow() {
    addFixtureBill(m_store, 0, u8("转账支票"), {{u8("金额"), 8, true, true}});
    TMainForm main;
    main.show();
    QVERIFY(main.selectedBill());
    QVERIFY(main.adjustPositionButton->isEnabled());
    int shown = 0;
    whenShown<TAdjPositionForm>([&shown](TAdjPositionForm* d) {
        shown = d->itemNameList->count();
        d->exitButton->click();
    });
    main.adjustPositionButton->click();
    QCOMPARE(shown, 1);
}

QTEST_MAIN(TestAdjPosition)
#include "tst_AdjPosition.moc"
