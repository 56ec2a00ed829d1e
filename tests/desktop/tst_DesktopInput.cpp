// Windows driven on a desktop with a window manager (see run-on-desktop.sh): real presses and
// releases go through the focus chain, windows are activated and minimised by the window manager.
#include "issuing/ui/BillEditorOverlay.h"
#include "issuing/ui/PreBillList.h"
#include "issuing/ui/ReferenceLookups.h"
#include "issuing/ui/TBatchPrintForm.h"
#include "issuing/ui/TMakeBillForm.h"
#include "issuing/ui/UpDown.h"
#include "platform/Clock.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/Translations.h"
#include "platform/ui/FontChooser.h"
#include "reference/ReferenceTable.h"
#include "reference/ui/TBussAccountForm.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"
#include "templates/ui/ParameterGrid.h"
#include "templates/ui/TAdjPositionForm.h"
#include "templates/ui/TItemSetForm.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// Look-ups that record their calls; picking a business unit finds one.
class RecordingLookups : public ReferenceLookups {
public:
    QStringList* calls = nullptr;
    int PickBusinessUnit(QWidget*, QStringList& values, QStringList& names) override {
        calls->append(QStringLiteral("PickBusinessUnit"));
        names = {u8("单位名称"), u8("银行帐号")};
        values = {u8("甲公司"), u8("6222")};
        return 1;
    }
    int PickPurpose(QWidget*, const QString&, QStringList&, QStringList&) override {
        return none("PickPurpose");
    }
    int PickContact(QWidget*, QStringList&, QStringList&) override { return none("PickContact"); }
    bool QuickAddBusinessUnit(QWidget*, const QString&, QStringList&) override {
        return none("QuickAddBusinessUnit") > 0;
    }
    bool QuickAddContact(QWidget*, const QString&, QStringList&) override {
        return none("QuickAddContact") > 0;
    }
    int SelectOwnAccount(QWidget*, QStringList&, QStringList&) override { return none("SelectOwnAccount"); }
    int SelectBusinessUnit(QWidget*, const QString&, QStringList&, QStringList&) override {
        return none("SelectBusinessUnit");
    }
    int SelectContact(QWidget*, const QString&, QStringList&, QStringList&) override {
        return none("SelectContact");
    }
    int SelectPurpose(QWidget*, const QString&, QStringList&, QStringList&) override {
        return none("SelectPurpose");
    }

private:
    int none(const char* op) {
        calls->append(QString::fromLatin1(op));
        return -1;
    }
};

// Clicks at the centre of a widget as a person does: press, then release.
void clickOn(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

bool activate(QWidget* w) {
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

enum ItemRow { NameRow, LeftRow, TopRow, WidthRow, HeightRow, FontRow };

} // namespace

class TestDesktopInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        Fonts::installSubstitutions();
        QVERIFY2(Translations::installChinese(), "Qt's Chinese translation (qt6-translations-l10n)");
    }
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        m_store.ensureBillTypeTable();
        Clock::setFixed(QDateTime(QDate(2015, 1, 30), QTime(14, 5)));
        m_calls.clear();
        m_main = std::make_unique<QWidget>();
        m_main->setWindowTitle(QStringLiteral("main"));
        m_main->resize(400, 300);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }
    void cleanup() {
        if (m_prompter)
            QCOMPARE(m_prompter->unexpected, 0);
        Clock::setFixed(QDateTime());
        m_main.reset();
        m_app.reset();
    }

    void lookupButtonPicksARecord();
    void arrowsStepTheMonth();
    void minimisedDesignerKeepsItsWork();
    void minimisedFillingWindowTakesTheMainWindowAlong();
    void escClosesOnlyTheCellEditor();
    void fontDialogKeepsTheItemsFont();
    void managerShowsItsLastColumn();
    void standardDialogsSpeakChinese();
    void batchRunPrintsTheChosenRows();

private:
    TMakeBillForm* openBill() {
        const MainItemFlag bill =
            addFixtureBill(m_store, 0, u8("转账支票"), {{u8("收款人"), 12}, {u8("月"), 5}, {u8("日"), 6}});
        m_store.loadWorkingTemplate(bill);
        auto* form = new TMakeBillForm(m_main.get());
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        auto lookups = std::make_unique<RecordingLookups>();
        lookups->calls = &m_calls;
        form->setLookups(std::move(lookups));
        form->setBill(bill, m_store.typeNames());
        form->show();
        if (!activate(form))
            qWarning("the filling window did not become active");
        return form;
    }
    static void clickItem(TMakeBillForm* form, const char* name) {
        const PixelRect& b = form->bill().items.at(form->bill().indexOf(u8(name))).box;
        QTest::mouseClick(form->pictureView, Qt::LeftButton, {},
                          QPoint((b.left + b.right) / 2, (b.top + b.bottom) / 2));
    }
    TItemSetForm* openDesigner() {
        fillWorkingTemplate(u8("转账支票"), {{u8("金额"), 8}, {u8("用途"), 0}});
        auto* form = new TItemSetForm(m_store, m_main.get());
        form->setFilePath(m_app->file(QStringLiteral("tmp/设计.BDF")));
        form->show();
        if (!activate(form))
            qWarning("the designer did not become active");
        return form;
    }

    std::unique_ptr<TempAppFolder> m_app;
    std::unique_ptr<QWidget> m_main;
    ScriptedPrompter* m_prompter = nullptr;
    BillStore m_store;
    QStringList m_calls;
};

// The "…" beside a business-unit editor keeps the editor open while it is pressed and picks a record.
void TestDesktopInput::lookupButtonPicksARecord() {
    TMakeBillForm* form = openBill();
    clickItem(form, "收款人");
    QVERIFY(form->editors->memoEditor->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), form->editors->memoEditor);
    QVERIFY(form->editors->lookupButton->isVisible());
    clickOn(form->editors->lookupButton);
    QCOMPARE(m_calls, QStringList{QStringLiteral("PickBusinessUnit")});
    QCOMPARE(form->bill().valueOf(u8("收款人")), u8("甲公司"));
    QCOMPARE(form->editedItem(), -1);
}

// The arrows of the month editor step the month; the editor stays open and Enter stores it.
void TestDesktopInput::arrowsStepTheMonth() {
    TMakeBillForm* form = openBill();
    clickItem(form, "月");
    QTRY_COMPARE(QApplication::focusWidget(), form->editors->datePartEditor);
    QCOMPARE(form->editors->datePartEditor->text(), QStringLiteral("1"));
    clickOn(form->editors->datePartArrows->upButton());
    clickOn(form->editors->datePartArrows->upButton());
    QVERIFY(form->editors->datePartEditor->isVisible());
    QCOMPARE(form->editors->datePartEditor->text(), QStringLiteral("3"));
    clickOn(form->editors->datePartArrows->downButton());
    QCOMPARE(QApplication::focusWidget(), form->editors->datePartEditor);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(form->bill().valueOf(u8("月")), QStringLiteral("02"));
}

// Minimising the designer takes the main window along; restoring brings both back with the
// unsaved work in place.
void TestDesktopInput::minimisedDesignerKeepsItsWork() {
    TItemSetForm* form = openDesigner();
    form->parameterTabs->setCurrentIndex(1);
    typeInto(form->itemGrid, LeftRow, QStringLiteral("500"));
    QTest::keyClick(form->itemTextEditor, Qt::Key_Return);
    QCOMPARE(form->billTemplate().items[0].left, 500);
    QVERIFY(form->modified());

    form->showMinimized();
    QTRY_VERIFY(!m_main->isVisible());
    form->showNormal();
    QTRY_VERIFY(form->windowHandle()->isExposed());
    QTRY_VERIFY(m_main->isVisible());
    QCOMPARE(form->billTemplate().items[0].left, 500);
    QCOMPARE(form->itemGrid->value(LeftRow), QStringLiteral("500"));
    QVERIFY(form->modified());
    delete form;
}

void TestDesktopInput::minimisedFillingWindowTakesTheMainWindowAlong() {
    TMakeBillForm* form = openBill();
    clickItem(form, "月");
    form->showMinimized();
    QTRY_VERIFY(!m_main->isVisible());
    form->showNormal();
    QTRY_VERIFY(m_main->isVisible());
    QVERIFY(form->isVisible());
    delete form;
}

// Esc closes a cell editor and nothing else; on a grid it does nothing.
void TestDesktopInput::escClosesOnlyTheCellEditor() {
    const MainItemFlag bill = addFixtureBill(m_store, 0, u8("转账支票"), {{u8("金额"), 8}});
    m_store.loadWorkingTemplate(bill);
    auto* adjust = new TAdjPositionForm(m_store, bill, m_main.get());
    adjust->show();
    QVERIFY(activate(adjust));
    typeInto(adjust->itemGrid, LeftRow, QStringLiteral("77"));
    QTest::keyClick(adjust->itemTextEditor, Qt::Key_Escape);
    QVERIFY(!adjust->itemTextEditor->isVisible());
    QCOMPARE(adjust->billTemplate().items[0].left, 10);
    typeInto(adjust->itemGrid, LeftRow, QStringLiteral("77"));
    QTest::keyClick(adjust->itemTextEditor, Qt::Key_Return);
    QCOMPARE(adjust->billTemplate().items[0].left, 77);
    // A click on a label puts the focus on the grid.
    QTest::mouseClick(adjust->itemGrid->viewport(), Qt::LeftButton, {},
                      adjust->itemGrid->visualRect(adjust->itemGrid->model()->index(NameRow, 0)).center());
    QTRY_COMPARE(QApplication::focusWidget(), adjust->itemGrid);
    QTest::keyClick(adjust->itemGrid, Qt::Key_Escape);
    QVERIFY(adjust->isVisible());
    QVERIFY(adjust->modified());
    delete adjust;

    // In the designer a second Esc neither asks nor closes.
    TItemSetForm* designer = openDesigner();
    designer->parameterTabs->setCurrentIndex(1);
    typeInto(designer->itemGrid, LeftRow, QStringLiteral("66"));
    QTest::keyClick(designer->itemTextEditor, Qt::Key_Return);
    typeInto(designer->itemGrid, LeftRow, QStringLiteral("99"));
    QTest::keyClick(designer->itemTextEditor, Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(designer->isVisible());
    QVERIFY(m_prompter->asked.isEmpty());
    QCOMPARE(designer->billTemplate().items[0].left, 66);
    QCOMPARE(Sql::rowCount(Database::get(Db::Define), BillStore::workingItemTable()), 2);
    delete designer;
}

// The font dialog shows the item's own face, size and styles; OK without a change keeps the font
// text byte for byte, and a style chosen for one item is not offered to the next.
void TestDesktopInput::fontDialogKeepsTheItemsFont() {
    Prompter::install(std::make_unique<QtPrompter>());
    m_prompter = nullptr;
    TItemSetForm* form = openDesigner();
    form->parameterTabs->setCurrentIndex(1);
    QStringList shown;
    auto answer = [&shown](const char* style) {
        whenShown<FontChooser>([&shown, style](FontChooser* d) {
            shown << d->familyEdit->text() + QLatin1Char('|') + d->sizeEdit->text() + QLatin1Char('|') +
                         d->styleList->currentItem()->text();
            if (style) {
                QListWidgetItem* item = d->styleList->findItems(u8(style), Qt::MatchExactly).value(0);
                QTest::mouseClick(d->styleList->viewport(), Qt::LeftButton, {},
                                  d->styleList->visualItemRect(item).center());
            }
            clickOn(d->okButton);
        });
    };
    answer(nullptr);
    doubleClick(form->itemGrid, FontRow);
    QCOMPARE(form->billTemplate().items[0].font, u8("宋体-9"));
    QVERIFY(!form->modified());

    answer("粗体");
    doubleClick(form->itemGrid, FontRow);
    QCOMPARE(form->billTemplate().items[0].font, u8("宋体-9-粗体"));

    form->itemNameList->setCurrentRow(1);
    answer(nullptr);
    doubleClick(form->itemGrid, FontRow);
    QCOMPARE(form->billTemplate().items[1].font, u8("宋体-9"));
    QCOMPARE(shown, QStringList({u8("宋体|9|常规"), u8("宋体|9|常规"), u8("宋体|9|常规")}));
    delete form;
}

// At 1366 x 768 a manager is wide enough for its last column (识别码), and minimising it takes
// the main window along.
void TestDesktopInput::managerShowsItsLastColumn() {
    ReferenceTable(u8("业务单位"))
        .append(Schema::businessUnitColumns(),
                {u8("南京市某某区某某街道某某实业发展有限责任公司"), QStringLiteral("6222020011002233445566"),
                 u8("中国工商银行股份有限公司南京市某某支行营业部"), u8("江苏省"), u8("南京市"),
                 QStringLiteral("NJSY")});
    auto* form = new TBussAccountForm(m_main.get());
    form->show();
    QVERIFY(activate(form));
    QTableWidget* grid = form->recordList;
    const int last = grid->columnCount() - 1;
    QCOMPARE(grid->horizontalHeaderItem(last) ? grid->horizontalHeaderItem(last)->text()
                                              : grid->item(0, last)->text(),
             u8("识 别 码"));
    QVERIFY2(grid->columnViewportPosition(last) + grid->columnWidth(last) <= grid->viewport()->width(),
             qPrintable(QStringLiteral("%1 + %2 > %3")
                            .arg(grid->columnViewportPosition(last))
                            .arg(grid->columnWidth(last))
                            .arg(grid->viewport()->width())));
    QVERIFY(form->frameGeometry().width() <= form->screen()->availableGeometry().width());

    form->showMinimized();
    QTRY_VERIFY(!m_main->isVisible());
    form->showNormal();
    QTRY_VERIFY(m_main->isVisible());
    delete form;
}

// Questions and file dialogs speak Chinese, and so do dates.
void TestDesktopInput::standardDialogsSpeakChinese() {
    Prompter::install(std::make_unique<QtPrompter>());
    m_prompter = nullptr;
    QStringList buttons;
    whenShown<QMessageBox>([&buttons](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        clickOn(box->button(QMessageBox::No));
    });
    QVERIFY(!Prompter::instance().question(m_main.get(), u8("需要保存吗 ？")));
    buttons.sort();
    QCOMPARE(buttons, QStringList({u8("否"), u8("是")}));

    QStringList texts;
    whenShown<QFileDialog>([&texts](QFileDialog* d) {
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            texts << d->findChild<QLabel*>(QString::fromLatin1(name))->text();
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->text() == u8("取消"))
                clickOn(b);
    });
    QCOMPARE(Prompter::instance().openFile(m_main.get(), {u8("打开"), u8("票据定义文件(*.BDF)"), {}, {}}),
             QString());
    QCOMPARE(texts, QStringList({u8("查找范围："), u8("文件名："), u8("文件类型：")}));
    QCOMPARE(QLocale().monthName(1), u8("一月"));
    // Qt's own texts, such as the file dialog's views and its errors, come translated.
    QVERIFY(QCoreApplication::translate("QFileDialog", "Detail View") != QLatin1String("Detail View"));
}

// A batch run on the desktop: the rows are reviewed, one is left out with a click on its box, and
// 打印所选 prints the others one by one while the window stays responsive.
void TestDesktopInput::batchRunPrintsTheChosenRows() {
    Settings::ensureExists();
    QTemporaryDir pdfs;
    Printing::install(std::make_unique<PdfPrinting>(pdfs.path()));
    const MainItemFlag bill =
        addFixtureBill(m_store, 0, u8("进帐单"), {{u8("金额"), 8, true, true}, {u8("编号"), 16}});
    Sql::exec(Database::get(Db::Bill),
              u8("INSERT INTO %1 (\"编号\") VALUES ('0007')").arg(Sql::q(bill.autoTable)));
    m_store.loadWorkingTemplate(bill);
    const QString data = m_app->file(QStringLiteral("tmp/数据.txt"));
    QFile f(data);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(u8("金额\n1.00\n2.00\n3.00\n4.00\n").toUtf8());
    f.close();

    TBatchPrintForm form(m_main.get(), bill, m_store.typeNames());
    form.show();
    QVERIFY(activate(&form));
    m_prompter->files << data;
    clickOn(form.chooseFileButton);
    clickOn(form.reviewButton);
    QCOMPARE(form.rows().size(), 4);
    const QRect cell = form.reviewList->visualItemRect(form.reviewList->item(1, 0));
    QTest::mouseClick(form.reviewList->viewport(), Qt::LeftButton, {},
                      QPoint(cell.left() + 10, cell.center().y()));
    QVERIFY(!form.rows()[1].chosen);
    clickOn(form.printChosenButton);
    QTRY_VERIFY(!form.running());
    QCOMPARE(form.rows()[0].numbers, QStringLiteral("0007"));
    QCOMPARE(form.rows()[2].numbers, QStringLiteral("0008"));
    QCOMPARE(form.rows()[3].numbers, QStringLiteral("0009"));
    QCOMPARE(form.rows()[1].state, BatchRow::State::Ready);
    QCOMPARE(Sql::rowCount(Database::get(Db::Bill), bill.historyTable), 3);
    QVERIFY(form.totalsLabel->text().contains(u8("金额合计：￥8.00")));
    form.close();
}

QTEST_MAIN(TestDesktopInput)
#include "tst_DesktopInput.moc"
