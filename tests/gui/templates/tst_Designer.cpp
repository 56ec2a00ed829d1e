#include "app/ui/TStringInputForm.h"
#include "exchange/BillDefineFile.h"
#include "exchange/BillImport.h"
#include "platform/AppPaths.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"
#include "templates/Background.h"
#include "templates/TemplateStore.h"
#include "templates/ui/DesignCommand.h"
#include "templates/ui/ParameterGrid.h"
#include "templates/ui/TAttrChangForm.h"
#include "templates/ui/TDesignInputForm.h"
#include "templates/ui/TItemSetForm.h"
#include "templates/ui/TSetCalWayForm.h"
#include "templates/ui/TemplateCanvas.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

void writeWorkingPage(int width, int length, const QString& picture = QString()) {
    PageParameters page;
    page.billName = u8("转账支票");
    page.typeName = Schema::defaultTypeNames().first();
    page.width = width;
    page.length = length;
    page.pictureFile = picture;
    writePageRow(Database::get(Db::Define), BillStore::workingPageTable(), page);
}

} // namespace

class TestDesigner : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::installSubstitutions(); }
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        m_store.ensureBillTypeTable();
        m_path = m_app->file(QStringLiteral("tmp/设计.BDF"));
    }
    void cleanup() { m_app.reset(); }

    void addingItems();
    void numberCellsAndTheFourDigitLimit();
    void typeChangeClearsAndForgets();
    void shrinkingTheBillMovesItems();
    void savingWritesTablesAndFile();
    void closingAsksOnlyAfterChanges_data();
    void closingAsksOnlyAfterChanges();
    void dragOnThePictureWritesBackAndMarksChanged();
    void rubberBandOpensTheGroupDialog();
    void formulaDialogRefusesBadFormulas();
    void newTemplateDialogRequiresFieldsAndReadsPictureSize();
    void designFromEmptyFileThenReopenAndImport();

private:
    std::unique_ptr<TItemSetForm> openDesigner(int width = 2000, int length = 900) {
        writeWorkingPage(width, length);
        auto form = std::make_unique<TItemSetForm>(m_store);
        form->setFilePath(m_path);
        form->show();
        return form;
    }
    QString makeJpeg(int width, int height, int dpi) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(230, 230, 230));
        setImageDpi(image, dpi);
        const QString path = m_app->file(QStringLiteral("tmp/扫描.jpg"));
        image.save(path, "JPEG");
        return path;
    }

    std::unique_ptr<TempAppFolder> m_app;
    ScriptedPrompter* m_prompter = nullptr;
    BillStore m_store;
    QString m_path;
};

// The first item sits at the corner with the size of its name in SimSun 11 points; the next one
// 1 mm right of and below the selected item with its size; a taken name is refused.
void TestDesigner::addingItems() {
    auto form = openDesigner();
    QVERIFY(form->windowTitle().endsWith(m_path));
    answerName(u8("金额"));
    form->addItemButton->click();
    const BillTemplate& tpl = form->billTemplate();
    QCOMPARE(tpl.count(), 1);
    const TemplateItem& first = tpl.items[0];
    QCOMPARE(first.left, 0);
    QCOMPARE(first.top, 0);
    QImage probe(1, 1, QImage::Format_RGB32);
    setImageDpi(probe, form->canvas->dpi());
    QFont font(u8("宋体"));
    font.setPointSize(11);
    const QFontMetricsF fm(font, &probe);
    QCOMPARE(first.width,
             int(std::ceil(qRound(fm.horizontalAdvance(u8("金额"))) * 254.0 / form->canvas->dpi())));
    QCOMPARE(first.height, int(std::ceil(qRound(fm.height()) * 254.0 / form->canvas->dpi())));
    QVERIFY(first.width > 0 && first.height > 0);
    QCOMPARE(first.key, -1);
    QCOMPARE(first.font, u8("宋体-9"));
    QVERIFY(form->modified());

    answerName(u8("户名"));
    form->addItemButton->click();
    QCOMPARE(tpl.count(), 2);
    QCOMPARE(tpl.items[1].left, 10);
    QCOMPARE(tpl.items[1].top, 10);
    QCOMPARE(tpl.items[1].width, first.width);
    QCOMPARE(form->itemNameList->currentRow(), 1);
    QCOMPARE(form->itemGrid->value(0), u8("户名"));

    // A taken name asks again with the typed text; cancelling then adds nothing.
    whenShown<TStringInputForm>([](TStringInputForm* d) {
        d->textEdit->setText(u8("金额"));
        answerName(QString());
        d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    form->addItemButton->click();
    QCOMPARE(m_prompter->texts(QStringLiteral("warning")),
             QStringList{u8("存在相同的子项名称！\r\n请重新输入")});
    QCOMPARE(tpl.count(), 2);

    // So is a name the bill's tables keep for their own columns, in any case of its letters.
    whenShown<TStringInputForm>([](TStringInputForm* d) {
        d->textEdit->setText(QStringLiteral("historynumber"));
        answerName(QString());
        d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    form->addItemButton->click();
    QCOMPARE(m_prompter->texts(QStringLiteral("warning")).size(), 2);
    QVERIFY(m_prompter->texts(QStringLiteral("warning")).last().contains(QStringLiteral("“historynumber”")));
    QCOMPARE(tpl.count(), 2);

    // Deleting asks first and selects the item now at the same place or the last one.
    m_prompter->answers = {true};
    form->deleteItemButton->click();
    QCOMPARE(m_prompter->texts(QStringLiteral("question")), QStringList{u8("确认要删除子项目：户名 吗 ?")});
    QCOMPARE(tpl.names(), QStringList{u8("金额")});
    QCOMPARE(form->selectedIndex(), 0);
}

void TestDesigner::numberCellsAndTheFourDigitLimit() {
    auto form = openDesigner();
    answerName(u8("金额"));
    form->addItemButton->click();
    form->parameterTabs->setCurrentIndex(1);

    typeInto(form->itemGrid, 3, u8("12345"));
    QCOMPARE(form->itemTextEditor->text(), u8("1234"));
    QTest::keyClick(form->itemTextEditor, Qt::Key_Return);
    QVERIFY(!form->itemTextEditor->isVisible());
    QCOMPARE(form->billTemplate().items[0].width, 1234);
    QCOMPARE(form->itemGrid->value(3), u8("1234"));

    // Letters never get in; a value beyond the picture is put back.
    typeInto(form->itemGrid, 1, u8("9a99"));
    QCOMPARE(form->itemTextEditor->text(), u8("999"));
    QTest::keyClick(form->itemTextEditor, Qt::Key_Return);
    QCOMPARE(form->billTemplate().items[0].left, 0);
    QCOMPARE(form->itemGrid->value(1), u8("0"));

    // Esc keeps the old text.
    const int height = form->billTemplate().items[0].height;
    const QString shown = form->itemGrid->value(4);
    typeInto(form->itemGrid, 4, u8("77"));
    QTest::keyClick(form->itemTextEditor, Qt::Key_Escape);
    QVERIFY(!form->itemTextEditor->isVisible());
    QCOMPARE(form->billTemplate().items[0].height, height);
    QCOMPARE(form->itemGrid->value(4), shown);

    // The page grid takes a fifth digit, and a leading minus in the margins only.
    form->parameterTabs->setCurrentIndex(0);
    typeInto(form->pageGrid, PageParameters::WidthRow, u8("-12345"));
    QCOMPARE(form->pageTextEditor->text(), u8("12345"));
    QTest::keyClick(form->pageTextEditor, Qt::Key_Return);
    QCOMPARE(form->pageGrid->value(PageParameters::WidthRow), u8("12345"));
    typeInto(form->pageGrid, PageParameters::LeftMarginRow, u8("-15-"));
    QCOMPARE(form->pageTextEditor->text(), u8("-15"));
    QTest::keyClick(form->pageTextEditor, Qt::Key_Return);
    QCOMPARE(form->pageGrid->value(PageParameters::LeftMarginRow), u8("-15"));

    // In the editable type drop-down the caret keys move the caret; Up and Down step the entries.
    doubleClick(form->pageGrid, PageParameters::TypeRow);
    QLineEdit* typed = form->pageChoiceEditor->lineEdit();
    const QString type = typed->text();
    QTest::keyClick(typed, Qt::Key_End);
    QTest::keyClick(typed, Qt::Key_Left);
    typeKeys(typed, u8("乙"));
    QCOMPARE(typed->text(), type.left(type.size() - 1) + u8("乙") + type.right(1));
    QTest::keyClick(typed, Qt::Key_Home);
    typeKeys(typed, u8("甲"));
    QVERIFY(typed->text().startsWith(u8("甲")));
    QTest::keyClick(typed, Qt::Key_Down);
    QCOMPARE(typed->text(), form->pageChoiceEditor->itemText(1));
    QVERIFY(form->pageChoiceEditor->isVisible());
    QTest::keyClick(typed, Qt::Key_Escape);
    QCOMPARE(form->pageGrid->value(PageParameters::TypeRow), type);

    // Both grids show every row without scrolling.
    for (ParameterGrid* grid : {form->pageGrid, form->itemGrid})
        QVERIFY2(grid->rowViewportPosition(grid->rowCount() - 1) + grid->rowHeight(0) <=
                     grid->viewport()->height(),
                 qPrintable(grid->objectName()));
}

// Changing the type clears the item's relation, formula, suffix and statistics flags, and every
// other relation or formula naming it becomes "0". Statistics stay off for a 文本 item.
void TestDesigner::typeChangeClearsAndForgets() {
    QSqlDatabase def = Database::get(Db::Define);
    const QStringList cols{u8("设置项目名称"), u8("设置项类型"), u8("设置项关系"), u8("计算方法"),
                           u8("打印后缀"),     u8("统计"),       u8("是否打印"),   u8("是否显示输入"),
                           u8("宽度"),         u8("高度"),       u8("字体")};
    Sql::insertRow(def, BillStore::workingItemTable(), cols,
                   {u8("大写"), 7, u8("小写"), u8("[小写]+1"), 1, 1, 1, 0, 300, 60, u8("宋体-9")});
    Sql::insertRow(def, BillStore::workingItemTable(), cols,
                   {u8("小写"), 8, QString(), u8("[大写]*2"), 0, 0, 1, 0, 300, 60, u8("宋体-9")});
    Sql::insertRow(def, BillStore::workingItemTable(), cols,
                   {u8("户名"), 0, u8("大写"), QString(), 0, 0, 1, 1, 300, 60, u8("宋体-9")});
    auto form = openDesigner();
    QCOMPARE(form->selectedIndex(), 0);
    form->parameterTabs->setCurrentIndex(1);
    doubleClick(form->itemGrid, 9);
    choose(form->itemChoiceEditor, u8("金额(小写)"));
    const BillTemplate& tpl = form->billTemplate();
    QCOMPARE(tpl.items[0].type, ItemType::AmountFigures);
    QCOMPARE(tpl.items[0].relation, QString());
    QCOMPARE(tpl.items[0].calcMethod, QString());
    QVERIFY(!tpl.items[0].printSuffix);
    QVERIFY(!tpl.items[0].statistics);
    QCOMPARE(tpl.items[1].calcMethod, u8("0"));
    QCOMPARE(tpl.items[2].relation, u8("0"));
    QCOMPARE(form->itemGrid->value(9), u8("金额(小写)"));

    form->itemNameList->setCurrentRow(2);
    doubleClick(form->itemGrid, 17);
    QVERIFY(!tpl.items[2].statistics);
    QCOMPARE(form->itemGrid->value(17), QString());
    form->itemNameList->setCurrentRow(1);
    doubleClick(form->itemGrid, 17);
    QVERIFY(tpl.items[1].statistics);
    QCOMPARE(form->itemGrid->value(17), PageParameters::checkText());
}

void TestDesigner::shrinkingTheBillMovesItems() {
    QSqlDatabase def = Database::get(Db::Define);
    Sql::insertRow(def, BillStore::workingItemTable(),
                   {u8("设置项目名称"), u8("横向位置"), u8("纵向位置"), u8("宽度"), u8("高度"), u8("字体"),
                    u8("是否打印")},
                   {u8("用途"), 1500, 100, 400, 60, u8("宋体-9"), 1});
    Sql::insertRow(def, BillStore::workingItemTable(),
                   {u8("设置项目名称"), u8("横向位置"), u8("纵向位置"), u8("宽度"), u8("高度"), u8("字体"),
                    u8("是否打印")},
                   {u8("户名"), 100, 100, 400, 60, u8("宋体-9"), 1});
    auto form = openDesigner();
    typeInto(form->pageGrid, PageParameters::WidthRow, u8("1800"));
    QTest::keyClick(form->pageTextEditor, Qt::Key_Return);
    const BillTemplate& tpl = form->billTemplate();
    QCOMPARE(tpl.items[0].left, 0);
    QCOMPARE(tpl.items[0].width, 1790);
    QCOMPARE(tpl.items[1].left, 100);
    QCOMPARE(tpl.items[1].width, 400);
    QCOMPARE(form->canvas->imageSize().width(), 1800 * form->canvas->dpi() / 254 - 1);
}

// Saving writes the page row and the items into the working tables, then a definition file that
// the checker accepts; new items get their keys.
void TestDesigner::savingWritesTablesAndFile() {
    auto form = openDesigner();
    answerName(u8("金额"));
    form->addItemButton->click();
    answerName(u8("用途"));
    form->addItemButton->click();
    typeInto(form->pageGrid, PageParameters::NameRow, u8("电汇凭证"));
    QTest::keyClick(form->pageTextEditor, Qt::Key_Return);
    doubleClick(form->pageGrid, PageParameters::BackgroundRow);
    QVERIFY(form->save());
    QVERIFY(!form->modified());
    QVERIFY(BillDefineFile::check(m_path));
    QSqlDatabase def = Database::get(Db::Define);
    QCOMPARE(Sql::rowCount(def, BillStore::workingItemTable()), 2);
    const PageParameters page = readPageRow(def, BillStore::workingPageTable());
    QCOMPARE(page.billName, u8("电汇凭证"));
    QVERIFY(page.printBackground);
    QVERIFY(form->billTemplate().items[0].key > 0);
    QCOMPARE(form->selectedIndex(), 1);

    // A margin that is not a number stops the save with a message; nothing is written.
    typeInto(form->pageGrid, PageParameters::TopMarginRow, u8("-"));
    QTest::keyClick(form->pageTextEditor, Qt::Key_Return);
    QVERIFY(!form->save());
    QCOMPARE(m_prompter->texts(QStringLiteral("error")).size(), 1);
    QVERIFY(form->modified());
}

void TestDesigner::closingAsksOnlyAfterChanges_data() {
    QTest::addColumn<bool>("change");
    QTest::addColumn<bool>("answer");
    QTest::newRow("no change") << false << false;
    QTest::newRow("change, save") << true << true;
    QTest::newRow("change, do not save") << true << false;
}

// Closing empties the working template whatever the answer; Yes saves the file first.
void TestDesigner::closingAsksOnlyAfterChanges() {
    QFETCH(bool, change);
    QFETCH(bool, answer);
    QSqlDatabase def = Database::get(Db::Define);
    Sql::insertRow(def, BillStore::workingItemTable(),
                   {u8("设置项目名称"), u8("宽度"), u8("高度"), u8("字体")},
                   {u8("户名"), 300, 60, u8("宋体-9")});
    auto form = openDesigner();
    if (change) {
        answerName(u8("金额"));
        form->addItemButton->click();
        m_prompter->answers = {answer};
    }
    form->exitButton->click();
    QVERIFY(!form->isVisible());
    QCOMPARE(m_prompter->texts(QStringLiteral("question")),
             change ? QStringList{u8("已经修改了设置，需要保存吗 ？")} : QStringList());
    QCOMPARE(Sql::rowCount(def, BillStore::workingPageTable()), 0);
    QCOMPARE(Sql::rowCount(def, BillStore::workingItemTable()), 0);
    QCOMPARE(QFile::exists(m_path), change && answer);
    if (change && answer) {
        QString error;
        QVERIFY2(BillDefineFile::read(m_path, &error), qPrintable(error));
        QCOMPARE(Sql::rowCount(def, BillStore::workingItemTable()), 2);
    }
}

// A press and drag on an item moves it; the new position is written back in tenths.
void TestDesigner::dragOnThePictureWritesBackAndMarksChanged() {
    QSqlDatabase def = Database::get(Db::Define);
    Sql::insertRow(def, BillStore::workingItemTable(),
                   {u8("设置项目名称"), u8("横向位置"), u8("纵向位置"), u8("宽度"), u8("高度"), u8("字体"),
                    u8("是否打印")},
                   {u8("户名"), 254, 254, 500, 100, u8("宋体-9"), 1});
    auto form = openDesigner();
    TemplateCanvas* canvas = form->canvas;
    const int dpi = canvas->dpi();
    const PixelRect box = form->billTemplate().items[0].box;
    const QPoint start(box.left + 10, box.top + 5);
    QTest::mousePress(canvas, Qt::LeftButton, {}, start);
    QTest::mouseMove(canvas, start + QPoint(15, 8));
    QTest::mouseMove(canvas, start + QPoint(30, 20));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, start + QPoint(30, 20));
    const TemplateItem& it = form->billTemplate().items[0];
    QCOMPARE(it.left, int(std::ceil((box.left + 30) * 254.0 / dpi)));
    QCOMPARE(it.top, int(std::ceil((box.top + 20) * 254.0 / dpi)));
    QCOMPARE(it.width, 500);
    QVERIFY(form->modified());
    QCOMPARE(form->itemGrid->value(1), QString::number(it.left));

    // A press on the empty picture hides the selection; the name list keeps it.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(canvas->width() - 5, 5));
    QVERIFY(!canvas->selectionShown());
    QCOMPARE(form->itemNameList->currentRow(), 0);
}

// A band over two of three items: the group dialog sets the spacing and 左下角 on both; its delete
// answered No deletes nothing; copy appends 复件 items.
void TestDesigner::rubberBandOpensTheGroupDialog() {
    QSqlDatabase def = Database::get(Db::Define);
    const QStringList cols{u8("设置项目名称"), u8("横向位置"), u8("纵向位置"), u8("宽度"),
                           u8("高度"),         u8("字体"),     u8("是否打印")};
    Sql::insertRow(def, BillStore::workingItemTable(), cols, {u8("甲"), 100, 100, 300, 60, u8("宋体-9"), 1});
    Sql::insertRow(def, BillStore::workingItemTable(), cols, {u8("乙"), 300, 200, 300, 60, u8("宋体-9"), 1});
    Sql::insertRow(def, BillStore::workingItemTable(), cols, {u8("丙"), 1500, 600, 300, 60, u8("宋体-9"), 1});
    auto form = openDesigner();
    TemplateCanvas* canvas = form->canvas;
    const auto band = [canvas] {
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseMove(canvas, QPoint(150, 60));
        QTest::mouseMove(canvas, QPoint(300, 120));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(300, 120));
    };
    whenShown<TAttrChangForm>([](TAttrChangForm* d) {
        typeInto(d->changeGrid, 5, u8("25"));
        QTest::keyClick(d->textEditor, Qt::Key_Return);
        doubleClick(d->changeGrid, 6);
        choose(d->choiceEditor, u8("左下角"));
        d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    band();
    const BillTemplate& tpl = form->billTemplate();
    QCOMPARE(tpl.items[0].spacing, quint16(25));
    QCOMPARE(tpl.items[1].alignment, quint8(7));
    QCOMPARE(tpl.items[2].spacing, quint16(0));
    QCOMPARE(tpl.items[0].left, 100);
    QVERIFY(form->modified());

    m_prompter->answers = {false};
    whenShown<TAttrChangForm>(
        [](TAttrChangForm* d) { d->findChild<QPushButton*>(QStringLiteral("deleteButton"))->click(); });
    band();
    QCOMPARE(m_prompter->texts(QStringLiteral("question")),
             QStringList{u8("确认要删除选择的所有的子项目吗？")});
    QCOMPARE(tpl.count(), 3);

    whenShown<TAttrChangForm>(
        [](TAttrChangForm* d) { d->findChild<QPushButton*>(QStringLiteral("copyButton"))->click(); });
    band();
    QCOMPARE(tpl.names(), (QStringList{u8("甲"), u8("乙"), u8("丙"), u8("复件甲"), u8("复件乙")}));
    QCOMPARE(form->itemNameList->count(), 5);
    QCOMPARE(tpl.items[3].left, 110);
}

// Names cannot be typed into a formula, only inserted; a bad formula is refused and stays open.
void TestDesigner::formulaDialogRefusesBadFormulas() {
    QSqlDatabase def = Database::get(Db::Define);
    const QStringList cols{u8("设置项目名称"), u8("设置项类型"), u8("是否显示输入"),
                           u8("宽度"),         u8("高度"),       u8("字体")};
    Sql::insertRow(def, BillStore::workingItemTable(), cols, {u8("合计"), 8, 0, 300, 60, u8("宋体-9")});
    Sql::insertRow(def, BillStore::workingItemTable(), cols, {u8("金额"), 8, 1, 300, 60, u8("宋体-9")});
    auto form = openDesigner();
    form->parameterTabs->setCurrentIndex(1);
    whenShown<TSetCalWayForm>([this](TSetCalWayForm* d) {
        QCOMPARE(d->entrySelector->count(), 2);
        typeKeys(d->formulaEditor, u8("a[2"));
        QCOMPARE(d->formulaEditor->toPlainText(), u8("2"));
        d->formulaEditor->clear();
        d->entrySelector->setCurrentIndex(1);
        emit d->entrySelector->activated(1);
        typeKeys(d->formulaEditor, u8("+1.2.3"));
        d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("warning")), QStringList{u8("算法错误 ！")});
        QVERIFY(d->isVisible());
        d->formulaEditor->setPlainText(u8("+[金额]*2"));
        d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    doubleClick(form->itemGrid, 11);
    QCOMPARE(form->billTemplate().items[0].calcMethod, u8("[金额]*2"));
    QCOMPARE(form->itemGrid->value(11), u8("[金额]*2"));
    QVERIFY(form->modified());

    // An item typed in by the operator gets no formula.
    form->itemNameList->setCurrentRow(1);
    doubleClick(form->itemGrid, 11);
    QCOMPARE(form->billTemplate().items[1].calcMethod, QString());
}

void TestDesigner::newTemplateDialogRequiresFieldsAndReadsPictureSize() {
    TDesignInputForm form(m_store);
    form.show();
    QCOMPARE(form.pageGrid->value(PageParameters::TypeRow), m_store.typeNames().first());
    QCOMPARE(form.pageGrid->value(PageParameters::DirectionRow), u8("横向打印"));
    form.confirm();
    QCOMPARE(m_prompter->texts(QStringLiteral("warning")),
             QStringList{u8("必须设置 票据类型、票据名称、图形文件、票据宽、票据长")});
    QVERIFY(form.isVisible());

    // With the size rows empty the picture's size is taken without asking.
    m_prompter->files = {makeJpeg(600, 300, 300)};
    doubleClick(form.pageGrid, PageParameters::PictureRow);
    QCOMPARE(form.pageGrid->value(PageParameters::WidthRow), u8("508"));
    QCOMPARE(form.pageGrid->value(PageParameters::LengthRow), u8("254"));
    QCOMPARE(m_prompter->texts(QStringLiteral("question")), QStringList());

    typeInto(form.pageGrid, PageParameters::NameRow, u8("信汇"));
    QTest::keyClick(form.pageTextEditor, Qt::Key_Return);
    // A new type name typed into the type row becomes a bill type.
    doubleClick(form.pageGrid, PageParameters::TypeRow);
    QVERIFY(form.pageChoiceEditor->isVisible());
    form.pageChoiceEditor->setEditText(u8("信汇凭证"));
    QTest::keyClick(form.pageChoiceEditor->lineEdit(), Qt::Key_Return);
    QVERIFY(m_store.typeIndexOf(u8("信汇凭证")) >= 0);
    form.confirm();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    const PageParameters page = readPageRow(Database::get(Db::Define), BillStore::workingPageTable());
    QCOMPARE(page.billName, u8("信汇"));
    QCOMPARE(page.width, 508);
    QCOMPARE(page.typeName, u8("信汇凭证"));
    QCOMPARE(page.typeIndex, m_store.typeIndexOf(u8("信汇凭证")));
}

// The whole road: design into a new file with a scanned JPEG, save; design again from that file
// (its picture kept in the file); import the file as a bill.
void TestDesigner::designFromEmptyFileThenReopenAndImport() {
    const QString jpeg = makeJpeg(800, 400, 200);
    m_prompter->files = {m_path, jpeg};
    whenShown<TDesignInputForm>([this](TDesignInputForm* d) {
        doubleClick(d->pageGrid, PageParameters::PictureRow);
        typeInto(d->pageGrid, PageParameters::NameRow, u8("进账单"));
        QTest::keyClick(d->pageTextEditor, Qt::Key_Return);
        whenShown<TItemSetForm>([](TItemSetForm* f) {
            QVERIFY(f->canvas->background().pixelColor(5, 5) != QColor(Qt::white));
            answerName(u8("收款人"));
            f->addItemButton->click();
            QVERIFY(f->save());
            f->exitButton->click();
        });
        d->confirm();
    });
    designBill(nullptr, m_store);
    QCOMPARE(m_prompter->unexpected, 0);
    QVERIFY(BillDefineFile::check(m_path));
    // The picture taken out of the file is gone again, the working template is empty.
    QSqlDatabase def = Database::get(Db::Define);
    QCOMPARE(Sql::rowCount(def, BillStore::workingItemTable()), 0);

    m_prompter->files = {m_path};
    whenShown<TDesignInputForm>([](TDesignInputForm* d) {
        QVERIFY(d->storedPicture());
        QCOMPARE(d->pageGrid->value(PageParameters::PictureRow), QString());
        QCOMPARE(d->pageGrid->value(PageParameters::NameRow), u8("进账单"));
        whenShown<TItemSetForm>([](TItemSetForm* f) {
            QCOMPARE(f->billTemplate().names(), QStringList{u8("收款人")});
            QVERIFY(f->storedPicture());
            QVERIFY(f->canvas->background().pixelColor(5, 5) != QColor(Qt::white));
            auto* pdf = new PdfPrinting(AppPaths::tmpDir(), 300);
            Printing::install(std::unique_ptr<Printing>(pdf));
            f->testPrintButton->click();
            QVERIFY(QFileInfo(pdf->lastFile()).size() > 0);
            QFile::remove(pdf->lastFile());
            f->exitButton->click();
        });
        d->confirm();
    });
    const QStringList before = QDir(AppPaths::pictureDir()).entryList(QDir::Files);
    designBill(nullptr, m_store);
    QCOMPARE(QDir(AppPaths::pictureDir()).entryList(QDir::Files), before);

    QString error;
    QVERIFY2(BillDefineFile::read(m_path, &error), qPrintable(error));
    BillImport::createBill(m_store, 0, u8("进账单"));
    const QList<MainItemFlag> bills = m_store.billEntriesOfType(0);
    QCOMPARE(bills.size(), 1);
    QCOMPARE(Sql::rowCount(Database::get(Db::Bill), bills.first().itemTable), 1);
    QVERIFY(QFile::exists(BillStore::resolvePicturePath(m_store.storedPicturePath(bills.first()))));
}

QTEST_MAIN(TestDesigner)
#include "tst_Designer.moc"
