#include "app/ui/TMainForm.h"
#include "issuing/PrintRecords.h"
#include "issuing/ui/BillEditorOverlay.h"
#include "issuing/ui/PreBillList.h"
#include "issuing/ui/ReferenceLookups.h"
#include "issuing/ui/TMakeBillForm.h"
#include "issuing/ui/TMonthDayTimeForm.h"
#include "issuing/ui/TPrintPreviewForm.h"
#include "issuing/ui/UpDown.h"
#include "platform/Clock.h"
#include "platform/Fonts.h"
#include "platform/Printing.h"
#include "platform/Settings.h"
#include "platform/ui/CupsPrinting.h"
#include "reference/ReferenceTable.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/PdfPages.h"
#include "support/PrintingTools.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"
#include "templates/RenderEngine.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}

struct Row {
    const char* name;
    int type;
    int left, top, width, height;
    const char* relation = "";
    const char* method = "";
    bool showInput = true;
    bool printed = true;
};

// One item of nearly every kind on a bill of 200 x 90 mm.
const QList<Row> kItems = {
    {"金额", 8, 100, 100, 500, 60},
    {"重叠", 0, 400, 100, 500, 60},
    {"大写", 7, 100, 200, 1000, 60, "金额", "", false},
    {"月", 5, 1200, 100, 100, 60},
    {"日", 6, 1350, 100, 100, 60},
    {"年", 4, 1500, 100, 150, 60, "月-日"},
    {"收款人", 12, 100, 300, 600, 60},
    {"帐号", 0, 800, 300, 500, 60, "收款人-银行帐号"},
    {"种类", 18, 1400, 300, 400, 60},
    {"编号", 16, 100, 400, 300, 60},
    {"抬头", 20, 500, 400, 300, 60},
    {"勾", 10, 900, 400, 60, 60},
    {"时间", 24, 1100, 400, 300, 60},
    {"日期", 25, 1500, 400, 300, 60},
    {"数量", 17, 100, 500, 300, 60},
    {"单价", 8, 500, 500, 300, 60},
    {"合计", 8, 900, 500, 400, 60, "", "[数量]*[单价]", false},
    {"联系人", 23, 100, 600, 400, 60},
    {"用途", 14, 600, 600, 400, 60},
    {"本单位", 13, 1100, 600, 400, 60},
    {"边缘", 0, 0, 700, 300, 60},
    {"数字", 11, 800, 700, 400, 60},
};

MainItemFlag createBill(BillStore& store, bool currencyChoice) {
    const QSqlDatabase def = Database::get(Db::Define);
    Sql::emptyTable(def, BillStore::workingPageTable());
    Sql::emptyTable(def, BillStore::workingItemTable());
    Sql::insertRow(def, BillStore::workingPageTable(),
                   {u8("票据类型"), u8("票据名称"), u8("票据宽"), u8("票据长"), u8("票据左空"),
                    u8("票据顶空"), u8("打印方向"), u8("币种选择"), u8("打印背景"), u8("票据类型名称")},
                   {0, u8("转帐支票"), 2000, 900, 0, 0, 0, currencyChoice ? 1 : 0, 0, u8("支票")});
    for (const Row& r : kItems)
        Sql::insertRow(def, BillStore::workingItemTable(),
                       {u8("设置项目名称"), u8("横向位置"), u8("纵向位置"), u8("宽度"), u8("高度"),
                        u8("字体"), u8("字间距"), u8("打印对齐"), u8("是否打印"), u8("设置项类型"),
                        u8("是否显示输入"), u8("计算方法"), u8("设置项关系"), u8("互锁组"), u8("显示标题"),
                        u8("打印后缀"), u8("查询"), u8("统计")},
                       {u8(r.name), r.left, r.top, r.width, r.height, u8("宋体-9"), 0, 1, r.printed ? 1 : 0,
                        r.type, r.showInput ? 1 : 0, u8(r.method), u8(r.relation), 0, 0, 0, 1, 0});
    const MainItemFlag entry = store.createBillFromWorkingTemplate(0, u8("转帐支票"));
    store.changeTypeCount(0, 1);
    return entry;
}

// Look-ups answered from a script; every call is recorded as "operation:text".
class ScriptedLookups : public ReferenceLookups {
public:
    struct Answer {
        int result = -1;
        QStringList values;
        QStringList names;
    };
    QMap<QString, Answer> answers; // by operation
    QStringList* calls = nullptr;

    int answer(const QString& op, const QString& text, QStringList& values, QStringList& names) {
        calls->append(op + QLatin1Char(':') + text);
        const Answer a = answers.value(op);
        if (!a.names.isEmpty() || a.result == 1)
            names = a.names;
        if (a.result == 1)
            values = a.values;
        return a.result;
    }
    int PickBusinessUnit(QWidget*, QStringList& v, QStringList& n) override {
        return answer("PickBusinessUnit", {}, v, n);
    }
    int PickPurpose(QWidget*, const QString& t, QStringList& v, QStringList& n) override {
        return answer("PickPurpose", t, v, n);
    }
    int PickContact(QWidget*, QStringList& v, QStringList& n) override {
        return answer("PickContact", {}, v, n);
    }
    bool QuickAddBusinessUnit(QWidget*, const QString& t, QStringList& v) override {
        QStringList n;
        return answer("QuickAddBusinessUnit", t, v, n) == 1;
    }
    bool QuickAddContact(QWidget*, const QString& t, QStringList& v) override {
        QStringList n;
        return answer("QuickAddContact", t, v, n) == 1;
    }
    int SelectOwnAccount(QWidget*, QStringList& v, QStringList& n) override {
        return answer("SelectOwnAccount", {}, v, n);
    }
    int SelectBusinessUnit(QWidget*, const QString& t, QStringList& v, QStringList& n) override {
        return answer("SelectBusinessUnit", t, v, n);
    }
    int SelectContact(QWidget*, const QString& t, QStringList& v, QStringList& n) override {
        return answer("SelectContact", t, v, n);
    }
    int SelectPurpose(QWidget*, const QString& t, QStringList& v, QStringList& n) override {
        return answer("SelectPurpose", t, v, n);
    }
};

// A printing system whose jobs fail when they are handed over.
class FailingPrinting : public Printing {
public:
    explicit FailingPrinting(QString folder) : m_pdf(std::move(folder)) {}
    QStringList printers() override { return {QStringLiteral("PDF")}; }
    QString defaultPrinter() override { return QStringLiteral("PDF"); }
    std::unique_ptr<PrintTarget> begin(const PrintJobSetup& setup, QString* error) override {
        class Failing : public PrintTarget {
        public:
            explicit Failing(std::unique_ptr<PrintTarget> t) : m_t(std::move(t)) {}
            QPaintDevice* device() override { return m_t->device(); }
            int dpiX() const override { return m_t->dpiX(); }
            int dpiY() const override { return m_t->dpiY(); }
            bool finish(QString* error) override {
                *error = QStringLiteral("打印机报告错误");
                return false;
            }
            std::unique_ptr<PrintTarget> m_t;
        };
        return std::make_unique<Failing>(m_pdf.begin(setup, error));
    }

private:
    PdfPrinting m_pdf;
};

// Types the text key by key; characters without a key of their own arrive as typed text.
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(w, char(c.unicode()));
        } else {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &release);
        }
    }
}

} // namespace

class TestMakeBillForm : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;
    ScriptedPrompter* m_prompter = nullptr;
    ScriptedLookups* m_lookups = nullptr;
    QStringList m_calls;
    MainItemFlag m_entry;
    QTemporaryDir m_pdfDir;
    bool m_realLookups = false;

    std::unique_ptr<TMakeBillForm> open(bool currencyChoice = true, const QString& amountFont = QString(),
                                        bool amountTitle = false) {
        BillStore store;
        store.ensureBillTypeTable();
        m_entry = createBill(store, currencyChoice);
        if (!amountFont.isEmpty())
            Sql::exec(
                Database::get(Db::Bill),
                u8("UPDATE %1 SET \"字体\" = ? WHERE \"设置项目名称\" = ?").arg(Sql::q(m_entry.itemTable)),
                {amountFont, u8("金额")});
        if (amountTitle)
            Sql::exec(Database::get(Db::Bill),
                      u8("UPDATE %1 SET \"显示标题\" = 1 WHERE \"设置项目名称\" = ?")
                          .arg(Sql::q(m_entry.itemTable)),
                      {u8("金额")});
        store.loadWorkingTemplate(m_entry);
        auto form = std::make_unique<TMakeBillForm>();
        if (!m_realLookups) {
            auto lookups = std::make_unique<ScriptedLookups>();
            m_lookups = lookups.get();
            m_lookups->calls = &m_calls;
            form->setLookups(std::move(lookups));
        }
        form->setBill(m_entry, store.typeNames());
        form->show();
        QApplication::setActiveWindow(form.get());
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("window not active");
        return form;
    }

    static int at(const TMakeBillForm& form, const char* name) { return form.bill().indexOf(u8(name)); }
    static QString value(const TMakeBillForm& form, const char* name) {
        return form.bill().valueOf(u8(name));
    }
    static QPoint centre(const TMakeBillForm& form, const char* name) {
        const PixelRect& b = form.bill().items.at(at(form, name)).box;
        return {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    }
    static void click(TMakeBillForm& form, const char* name) {
        QTest::mouseClick(form.pictureView, Qt::LeftButton, {}, centre(form, name));
    }
    static void clickAway(TMakeBillForm& form) {
        QTest::mouseClick(form.pictureView, Qt::LeftButton, {}, QPoint(form.pictureView->width() - 2, 2));
    }
    // Clears the open editor and types the keys into it.
    static void type(QWidget* editor, const QString& keys) {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Backspace);
        typeText(editor, keys);
    }
    static void enter(TMakeBillForm& form, const char* name, const QString& keys, QWidget* editor) {
        click(form, name);
        type(editor, keys);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    static QString cell(const QTableWidget* grid, int row, int column) {
        const QTableWidgetItem* i = grid->item(row, column);
        return i ? i->text() : QString();
    }
    static int blueIn(const QImage& image, const PixelRect& box) {
        int n = 0;
        for (int y = std::max(0, box.top); y < std::min(image.height(), box.bottom); ++y)
            for (int x = std::max(0, box.left); x < std::min(image.width(), box.right); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.blue() > 200 && c.red() < 120 && c.green() < 120;
            }
        return n;
    }

private slots:
    void initTestCase() { Fonts::installSubstitutions(); }
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        Clock::setFixed(QDateTime(QDate(2015, 1, 30), QTime(14, 5)));
        m_calls.clear();
        m_realLookups = false;
        Printing::install(std::make_unique<PdfPrinting>(m_pdfDir.path()));
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        Clock::setFixed(QDateTime());
        m_app.reset();
    }

    void showsTheBillWithDefaults() {
        auto form = open();
        QCOMPARE(form->windowTitle(), u8("支票--转帐支票  开票"));
        QVERIFY(form->currencySelector->isVisible());
        QCOMPARE(value(*form, "年"), QStringLiteral("2015"));
        QCOMPARE(value(*form, "月"), QStringLiteral("01"));
        QCOMPARE(value(*form, "日"), QStringLiteral("30"));
        QCOMPARE(value(*form, "时间"), QStringLiteral("01301405"));
        QCOMPARE(value(*form, "日期"), QStringLiteral("150130"));
        QCOMPARE(form->nextPreBillNumber(), QStringLiteral("1"));
        QCOMPARE(cell(form->preBillList, 0, 0), u8("序号"));
        QCOMPARE(cell(form->preBillList, 0, 1), u8("金额"));
        QCOMPARE(form->preBillList->rowCount(), 2);
        QCOMPARE(form->picture().size(), QSize(96 * 2000 / 254 - 1, 96 * 900 / 254 - 1));
        // Input areas are hatched; items only printed are not.
        const QImage& pic = form->picture();
        const PixelRect amount = form->bill().items.at(at(*form, "金额")).box;
        const PixelRect capital = form->bill().items.at(at(*form, "大写")).box;
        auto hatched = [&pic](const PixelRect& b) {
            int n = 0;
            for (int x = b.left; x < b.right; ++x)
                n += pic.pixelColor(x, b.top + 3) == QColor(194, 200, 226);
            return n;
        };
        QVERIFY(hatched(amount) > 5);
        QCOMPARE(hatched(PixelRect{capital.left, capital.top + 20, capital.right, capital.bottom}), 0);
    }

    void clickOpensTheEditorOfTheKind_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("editor");
        QTest::newRow("amount") << u8("金额") << "amountEditor";
        QTest::newRow("text") << u8("重叠") << "memoEditor";
        QTest::newRow("month") << u8("月") << "datePartEditor";
        QTest::newRow("year") << u8("年") << "datePartEditor";
        QTest::newRow("business unit") << u8("收款人") << "memoEditor";
        QTest::newRow("bill kind") << u8("种类") << "choiceEditor";
        QTest::newRow("automatic number") << u8("编号") << "memoEditor";
        QTest::newRow("quantity") << u8("数量") << "memoEditor";
        QTest::newRow("digit grid") << u8("数字") << "memoEditor";
        QTest::newRow("year-month-day") << u8("日期") << "datePicker";
    }
    void clickOpensTheEditorOfTheKind() {
        QFETCH(QString, item);
        QFETCH(QString, editor);
        auto form = open();
        const QByteArray name = item.toUtf8();
        QPoint p = centre(*form, name.constData());
        if (item == u8("重叠"))
            p.setX(form->bill().items.at(at(*form, "重叠")).box.right - 2); // off the amount
        QTest::mouseClick(form->pictureView, Qt::LeftButton, {}, p);
        QCOMPARE(form->editedItem(), form->bill().indexOf(item));
        auto* w = form->findChild<QWidget*>(editor);
        QVERIFY(w->isVisible());
        QCOMPARE(w->geometry().topLeft(), QPoint(form->bill().items.at(form->editedItem()).box.left,
                                                 form->bill().items.at(form->editedItem()).box.top));
        QCOMPARE(form->editors->lookupButton->isVisible(), item == u8("收款人"));
        QCOMPARE(form->editors->datePartArrows->isVisible(), editor == QLatin1String("datePartEditor"));
        if (item == u8("年"))
            QCOMPARE(form->editors->datePartArrows->minimum(), 1990);
        if (item == u8("月"))
            QCOMPARE(form->editors->datePartArrows->maximum(), 12);
    }

    void overlapOpensTheFirstItem() {
        auto form = open();
        const PixelRect overlap = form->bill().items.at(at(*form, "重叠")).box;
        QTest::mouseClick(form->pictureView, Qt::LeftButton, {}, QPoint(overlap.left + 2, overlap.top + 5));
        QCOMPARE(form->editedItem(), at(*form, "金额"));
        clickAway(*form);
        QCOMPARE(form->editedItem(), -1);
        QVERIFY(!form->editors->amountEditor->isVisible());
    }

    void invalidKeysAreRefused_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("third decimal") << u8("金额") << "12.345"
                                       << "12.34";
        QTest::newRow("12th integer digit") << u8("金额") << "123456789012"
                                            << "12345678901";
        QTest::newRow("second point") << u8("金额") << "1.2.3"
                                      << "1.23";
        QTest::newRow("letter in an amount") << u8("金额") << "1a2"
                                             << "12";
        QTest::newRow("month 13") << u8("月") << "13"
                                  << "1";
        QTest::newRow("month 0") << u8("月") << "0"
                                 << "";
        QTest::newRow("day beyond January") << u8("日") << "32"
                                            << "3";
        QTest::newRow("year of five digits") << u8("年") << "20155"
                                             << "2015";
        QTest::newRow("digit grid") << u8("数字") << "12a3"
                                    << "123";
        QTest::newRow("quantity") << u8("数量") << "1.5.2x"
                                  << "1.52";
        QTest::newRow("free text") << u8("重叠") << "a.b"
                                   << "a.b";
    }
    void invalidKeysAreRefused() {
        QFETCH(QString, item);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        auto form = open();
        const QByteArray name = item.toUtf8();
        QPoint p = centre(*form, name.constData());
        if (item == u8("重叠"))
            p.setX(form->bill().items.at(at(*form, "重叠")).box.right - 2);
        QTest::mouseClick(form->pictureView, Qt::LeftButton, {}, p);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor);
        type(editor, keys);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            QCOMPARE(line->text(), text);
        else
            QCOMPARE(qobject_cast<QPlainTextEdit*>(editor)->toPlainText(), text);
    }

    void escKeepsEnterAndClickAwayStore() {
        auto form = open();
        click(*form, "金额");
        type(form->editors->amountEditor, QStringLiteral("55"));
        QTest::keyClick(form->editors->amountEditor, Qt::Key_Escape);
        QVERIFY(!form->editors->amountEditor->isVisible());
        QCOMPARE(value(*form, "金额"), QString());

        enter(*form, "金额", QStringLiteral("0055"), form->editors->amountEditor);
        QCOMPARE(value(*form, "金额"), QStringLiteral("55"));
        QCOMPARE(value(*form, "大写"), QStringLiteral("0055")); // the mirror gets the typed text

        click(*form, "金额");
        type(form->editors->amountEditor, QStringLiteral("66.5"));
        clickAway(*form);
        QCOMPARE(value(*form, "金额"), QStringLiteral("66.5"));
        QVERIFY(blueIn(form->picture(), form->bill().items.at(at(*form, "大写")).box) > 20);

        // Moving the focus to a button stores as well.
        click(*form, "重叠");
        QTest::keyClicks(form->editors->memoEditor, QStringLiteral("x"));
        form->newBillButton->setFocus();
        QCOMPARE(form->editedItem(), -1);
        QCOMPARE(value(*form, "重叠"), QStringLiteral("x"));
    }

    void datesMonthsAndDays() {
        auto form = open();
        // Storing February in 2015 turns the 30th into the 1st.
        enter(*form, "月", QStringLiteral("2"), form->editors->datePartEditor);
        QCOMPARE(value(*form, "月"), QStringLiteral("02"));
        QCOMPARE(value(*form, "日"), QStringLiteral("01"));

        enter(*form, "年", QStringLiteral("2016"), form->editors->datePartEditor);
        enter(*form, "日", QStringLiteral("29"), form->editors->datePartEditor);
        QCOMPARE(value(*form, "日"), QStringLiteral("29"));
        enter(*form, "年", QStringLiteral("2015"), form->editors->datePartEditor);
        // Opening the day of February 2015 with the 29th stored resets it and allows 28 days.
        click(*form, "日");
        QCOMPARE(value(*form, "日"), QStringLiteral("01"));
        QCOMPARE(form->editors->datePartArrows->maximum(), 28);
        QTest::keyClick(form->editors->datePartEditor, Qt::Key_Escape);

        // Arrows wrap around.
        click(*form, "月");
        form->editors->datePartArrows->downButton()->click();
        form->editors->datePartArrows->downButton()->click();
        QCOMPARE(form->editors->datePartEditor->text(), QStringLiteral("12"));
        QTest::keyClick(form->editors->datePartEditor, Qt::Key_Return);
        QCOMPARE(value(*form, "月"), QStringLiteral("12"));

        // The date picker opens on the stored date; leaving it keeps the value.
        click(*form, "日期");
        QCOMPARE(form->editors->datePicker->date(), QDate(2015, 1, 30));
        clickAway(*form);
        QCOMPARE(value(*form, "日期"), QStringLiteral("150130"));
        click(*form, "日期");
        form->editors->datePicker->setDate(QDate(2016, 12, 5));
        clickAway(*form);
        QCOMPARE(value(*form, "日期"), QStringLiteral("161205"));
        // A day picked in the calendar with the keys ends the editing as a click does.
        click(*form, "日期");
        // The calendar opens from the arrow at the picker's right end.
        QTest::mouseClick(
            form->editors->datePicker, Qt::LeftButton, {},
            QPoint(form->editors->datePicker->width() - 6, form->editors->datePicker->height() / 2));
        QCalendarWidget* calendar = form->editors->datePicker->calendarWidget();
        QTRY_VERIFY(calendar->isVisible());
        QWidget* days = calendar->focusWidget() ? calendar->focusWidget() : calendar;
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Return);
        QTRY_COMPARE(form->editedItem(), -1);
        QVERIFY(!form->editors->datePicker->isVisible());
        QCOMPARE(value(*form, "日期"), QStringLiteral("161206"));

        // The month-day-hour-minute dialog.
        QTimer::singleShot(0, [] {
            auto* dlg = qobject_cast<TMonthDayTimeForm*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            QCOMPARE(dlg->hourEditor->text(), QStringLiteral("14"));
            dlg->hourArrows->setPosition(9);
            dlg->okButton->click();
        });
        click(*form, "时间");
        QCOMPARE(value(*form, "时间"), QStringLiteral("01300905"));
    }

    void checkBoxesToggleAndCalculationsRun() {
        auto form = open();
        click(*form, "勾");
        QCOMPARE(value(*form, "勾"), u8("√"));
        QCOMPARE(form->editedItem(), -1);
        click(*form, "勾");
        QCOMPARE(value(*form, "勾"), QString());

        enter(*form, "数量", QStringLiteral("3"), form->editors->memoEditor);
        enter(*form, "单价", QStringLiteral("12.5"), form->editors->amountEditor);
        QCOMPARE(value(*form, "合计"), QStringLiteral("37.5"));
        QVERIFY(blueIn(form->picture(), form->bill().items.at(at(*form, "合计")).box) > 20);

        // Every value that is printed is shown, also at the picture's left edge.
        QCOMPARE(form->bill().items.at(at(*form, "边缘")).box.left, 0);
        click(*form, "边缘");
        typeText(form->editors->memoEditor, u8("甲乙丙"));
        clickAway(*form);
        QVERIFY(blueIn(form->picture(), form->bill().items.at(at(*form, "边缘")).box) > 20);
    }

    void referenceLookups() {
        auto form = open();
        const QStringList names{u8("单位名称"), u8("银行帐号"), u8("开户银行"), u8("识别码")};
        m_lookups->answers[QStringLiteral("SelectBusinessUnit")] = {
            1, {u8("甲公司"), u8("6222"), u8("工行"), u8("A1")}, names};
        enter(*form, "收款人", QStringLiteral("A1"), form->editors->memoEditor);
        QCOMPARE(m_calls, QStringList{QStringLiteral("SelectBusinessUnit:A1")});
        QCOMPARE(value(*form, "收款人"), u8("甲公司"));
        QCOMPARE(value(*form, "帐号"), u8("6222"));
        QCOMPARE(form->editedItem(), -1);

        // A missing code answered Yes: the quick-add dialog gets the text.
        m_lookups->answers[QStringLiteral("SelectBusinessUnit")] = {-1, {}, names};
        m_lookups->answers[QStringLiteral("QuickAddBusinessUnit")] = {1, {u8("乙公司"), u8("7777")}, {}};
        m_prompter->answers = {true, false};
        enter(*form, "收款人", QStringLiteral("ZZ"), form->editors->memoEditor);
        QCOMPARE(m_prompter->texts(QStringLiteral("question")), QStringList{u8("需要增加新的业务单位吗 ？")});
        QVERIFY(m_calls.contains(QStringLiteral("QuickAddBusinessUnit:ZZ")));
        QCOMPARE(value(*form, "收款人"), u8("乙公司"));
        QCOMPARE(value(*form, "帐号"), u8("7777"));

        // Answered No: the typed text stays.
        enter(*form, "收款人", QStringLiteral("QQ"), form->editors->memoEditor);
        QCOMPARE(value(*form, "收款人"), QStringLiteral("QQ"));
        QCOMPARE(value(*form, "帐号"), u8("7777"));

        // A purpose that is not found leaves the editor open; the button picks one.
        m_calls.clear();
        enter(*form, "用途", QStringLiteral("X"), form->editors->memoEditor);
        QCOMPARE(m_calls, QStringList{QStringLiteral("SelectPurpose:X")});
        QCOMPARE(form->editedItem(), at(*form, "用途"));
        m_lookups->answers[QStringLiteral("PickPurpose")] = {
            1, {u8("货款"), u8("HK")}, {u8("用途"), u8("识别码")}};
        form->editors->lookupButton->click();
        QCOMPARE(value(*form, "用途"), u8("货款"));
        QCOMPARE(form->editedItem(), -1);

        // Contacts and own units by Enter.
        m_lookups->answers[QStringLiteral("SelectContact")] = {-1, {}, {u8("姓名")}};
        m_prompter->answers = {false};
        enter(*form, "联系人", QStringLiteral("wang"), form->editors->memoEditor);
        QCOMPARE(m_prompter->lastText(), u8("需要增加新的联系人吗 ？"));
        QCOMPARE(value(*form, "联系人"), QStringLiteral("wang"));
        m_lookups->answers[QStringLiteral("SelectOwnAccount")] = {1, {u8("本公司")}, {u8("开户名称")}};
        enter(*form, "本单位", QString(), form->editors->memoEditor);
        QCOMPARE(value(*form, "本单位"), u8("本公司"));
    }

    void codeFindsTheStoredBusinessUnit() {
        ReferenceTable(u8("业务单位"))
            .append(Schema::businessUnitColumns(),
                    {u8("甲公司"), u8("6222"), u8("工行"), u8("江苏"), u8("南京"), u8("A1")});
        m_realLookups = true;
        auto form = open();
        // A single record with the code is taken without asking.
        enter(*form, "收款人", QStringLiteral("A1"), form->editors->memoEditor);
        QCOMPARE(value(*form, "收款人"), u8("甲公司"));
        QCOMPARE(value(*form, "帐号"), u8("6222"));
        QVERIFY(m_prompter->asked.isEmpty());
    }

    void listsOfEarlierEntries() {
        auto form = open();
        click(*form, "种类");
        QCOMPARE(form->editors->choiceEditor->currentText(), u8("转帐支票"));
        QCOMPARE(form->editors->choiceEditor->count(), 5);
        clickAway(*form);
        QCOMPARE(value(*form, "种类"), u8("转帐支票"));

        click(*form, "种类");
        form->editors->choiceEditor->lineEdit()->selectAll();
        typeText(form->editors->choiceEditor->lineEdit(), u8("银行汇票"));
        QTest::keyClick(form->editors->choiceEditor->lineEdit(), Qt::Key_Return);
        QCOMPARE(value(*form, "种类"), u8("银行汇票"));
        click(*form, "种类");
        QCOMPARE(form->editors->choiceEditor->count(), 6);
        QCOMPARE(form->editors->choiceEditor->currentText(), u8("银行汇票"));
    }

    void preBills() {
        auto form = open();
        // Enter starts a new line in these: leave them by clicking elsewhere.
        click(*form, "编号");
        type(form->editors->memoEditor, QStringLiteral("0005"));
        click(*form, "抬头");
        type(form->editors->memoEditor, u8("甲"));
        clickAway(*form);
        QCOMPARE(value(*form, "编号"), QStringLiteral("0005"));
        // Three pre-bills; the third in US dollars.
        for (int i = 1; i <= 3; ++i) {
            if (i == 3) {
                form->currencySelector->setCurrentIndex(1);
                form->changeCurrency(1);
            }
            enter(*form, "金额", QString::number(i * 10), form->editors->amountEditor);
            form->preBillButton->click();
        }
        QCOMPARE(form->preBillCount(), 3);
        QCOMPARE(form->nextPreBillNumber(), QStringLiteral("4"));
        QCOMPARE(cell(form->preBillList, 3, 0), QStringLiteral("3"));
        QCOMPARE(cell(form->preBillList, 2, 1), u8("￥20.00"));
        QCOMPARE(cell(form->preBillList, 3, 1), QStringLiteral("US$30.00"));
        QCOMPARE(form->preBillList->currentRow(), 3);

        // Delete number 2: the former 3 becomes 2.
        form->preBillList->setCurrentCell(2, 0);
        m_prompter->answers = {true};
        form->preBillList->deleteSelected();
        QCOMPARE(m_prompter->lastText(), u8("确定要删除序号 2  的预开票吗 ？"));
        QCOMPARE(form->preBillCount(), 2);
        QCOMPARE(cell(form->preBillList, 2, 0), QStringLiteral("2"));
        QCOMPARE(cell(form->preBillList, 2, 1), QStringLiteral("US$30.00"));

        // The numbers have advanced since; the fixed text comes with the pre-bill.
        FilledBill later = form->bill();
        later.values[at(*form, "编号")] = QStringLiteral("0009");
        later.values[at(*form, "抬头")] = u8("乙");
        SaveRememberedItems(m_entry.autoTable, later);
        form->currencySelector->setCurrentIndex(0);
        form->changeCurrency(0);
        enter(*form, "金额", QStringLiteral("99"), form->editors->amountEditor);
        form->preBillList->setCurrentCell(2, 0);
        form->loadSelectedPreBill();
        QCOMPARE(value(*form, "金额"), QStringLiteral("30"));
        QCOMPARE(form->currency(), 1);
        QCOMPARE(form->currencySelector->currentIndex(), 1);
        QCOMPARE(value(*form, "编号"), QStringLiteral("0009"));
        QCOMPARE(value(*form, "抬头"), u8("甲"));
        QCOMPARE(form->nextPreBillNumber(), QStringLiteral("3"));

        // Saving right after selecting adds a new one; the selected one stays.
        form->preBillButton->click();
        QCOMPARE(form->preBillCount(), 3);

        // Kept between openings, with the currency chosen last.
        form->exitButton->click();
        QVERIFY(!form->isVisible());
        form->show();
        QCOMPARE(form->preBillCount(), 3);
        QCOMPARE(form->currency(), 1);

        m_prompter->answers = {false, true};
        form->preBillList->clearAll();
        QCOMPARE(form->preBillCount(), 3);
        form->preBillList->clearAll();
        QCOMPARE(m_prompter->lastText(), u8("确定要清空预开票吗 ？"));
        QCOMPARE(form->preBillCount(), 0);
        QCOMPARE(form->preBillList->rowCount(), 2);
        QCOMPARE(cell(form->preBillList, 1, 0), QString());
        form->preBillList->deleteSelected(); // nothing left: no question
    }

    void newBillResetsTheValues() {
        auto form = open();
        enter(*form, "金额", QStringLiteral("5"), form->editors->amountEditor);
        enter(*form, "月", QStringLiteral("7"), form->editors->datePartEditor);
        form->newBillButton->click();
        QCOMPARE(value(*form, "金额"), QString());
        QCOMPARE(value(*form, "月"), QStringLiteral("01"));
    }

    // The window keeps the currency chosen last; a bill without a currency choice is in yuan all
    // the same.
    void withoutCurrencyChoiceAmountsAreInYuan() {
        auto form = open();
        form->currencySelector->setCurrentIndex(2);
        form->changeCurrency(2);
        form->exitButton->click();
        Sql::exec(Database::get(Db::Define),
                  u8("UPDATE %1 SET \"币种选择\" = 0").arg(Sql::q(BillStore::workingPageTable())));
        form->show();
        QVERIFY(!form->currencySelector->isVisible());
        QVERIFY(!form->currencyLabel->isVisible());
        QCOMPARE(form->currency(), 0);
        enter(*form, "金额", QStringLiteral("12"), form->editors->amountEditor);
        form->preBillButton->click();
        QCOMPARE(cell(form->preBillList, 1, 1), u8("￥12.00"));
    }

    void printRecordsAndAdvances() {
        auto form = open();
        auto* printing = new PdfPrinting(m_pdfDir.path());
        Printing::install(std::unique_ptr<Printing>(printing));
        enter(*form, "金额", QStringLiteral("1234.5"), form->editors->amountEditor);
        click(*form, "编号");
        type(form->editors->memoEditor, QStringLiteral("0005"));
        form->printButton->click(); // stores the open editor first
        QVERIFY(QFile::exists(printing->lastFile()));
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            const QString text = PdfPages::text(printing->lastFile());
            QVERIFY2(text.contains(QStringLiteral("1,234.50")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("0005")));
        }
        const QSqlDatabase db = Database::get(Db::Bill);
        QCOMPARE(Sql::rowCount(db, m_entry.historyTable), 1);
        QCOMPARE(value(*form, "编号"), QStringLiteral("0006"));
        QCOMPARE(value(*form, "金额"), QStringLiteral("1234.5")); // the filled values stay

        // A failed print records nothing and numbers nothing.
        Printing::install(std::make_unique<FailingPrinting>(m_pdfDir.path()));
        m_prompter->clear();
        form->printButton->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("error")), QStringList{QStringLiteral("打印机报告错误")});
        QCOMPARE(Sql::rowCount(db, m_entry.historyTable), 1);
        QCOMPARE(value(*form, "编号"), QStringLiteral("0006"));

        // No printer at all.
        class NoPrinters : public PdfPrinting {
        public:
            using PdfPrinting::PdfPrinting;
            QStringList printers() override { return {}; }
        };
        Printing::install(std::make_unique<NoPrinters>(m_pdfDir.path()));
        form->printButton->click();
        QCOMPARE(m_prompter->lastText(), u8("未找到可以使用的打印机 ！"));
        QCOMPARE(Sql::rowCount(db, m_entry.historyTable), 1);
    }

    // 打印预览 shows the page and records nothing when closed; its 打印 prints as 打  印 does.
    // 导出PDF writes the bill and records nothing.
    void previewAndPdfExport() {
        auto form = open();
        auto* printing = new PdfPrinting(m_pdfDir.path());
        Printing::install(std::unique_ptr<Printing>(printing));
        enter(*form, "金额", QStringLiteral("1234.5"), form->editors->amountEditor);
        const QSqlDatabase db = Database::get(Db::Bill);

        const int width = form->bill().page.width;
        const auto previewThen = [&](const char* button) {
            QTimer::singleShot(0, [button, width] {
                auto* preview = qobject_cast<TPrintPreviewForm*>(QApplication::activeModalWidget());
                QVERIFY(preview);
                preview->setZoom(TPrintPreviewForm::Zoom::Actual);
                const QImage shown = preview->shownImage();
                // At 100 % the bill is as wide on the screen as on paper.
                QVERIFY2(qAbs(shown.width() - width * preview->logicalDpiX() / 254) <= 2,
                         qPrintable(QString::number(shown.width())));
                QPushButton* b =
                    QString::fromUtf8(button) == u8("打印") ? preview->printButton : preview->closeButton;
                QTest::mouseClick(b, Qt::LeftButton);
            });
            QTest::mouseClick(form->previewButton, Qt::LeftButton);
        };
        previewThen("关闭");
        QCOMPARE(Sql::rowCount(db, m_entry.historyTable), 0);
        QVERIFY(printing->lastFile().isEmpty());
        previewThen("打印");
        QCOMPARE(Sql::rowCount(db, m_entry.historyTable), 1);
        QVERIFY(QFile::exists(printing->lastFile()));

        const QString pdf = m_pdfDir.filePath(QStringLiteral("导出.pdf"));
        m_prompter->files << pdf;
        QTest::mouseClick(form->exportPdfButton, Qt::LeftButton);
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(Sql::rowCount(db, m_entry.historyTable), 1);
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QVERIFY(PdfPages::text(pdf).contains(QStringLiteral("1,234.50")));
        // A folder that cannot be written says so.
        m_prompter->files << QStringLiteral("/nonexistent/x.pdf");
        QTest::mouseClick(form->exportPdfButton, Qt::LeftButton);
        QVERIFY(m_prompter->lastText().startsWith(u8("无法写入 PDF 文件“/nonexistent/x.pdf”")));
    }

    // 显示标题 moves the input area right by the title "name：" in the item's font plus 2 pixels,
    // on the screen and on paper alike.
    void titleShiftsTheInputAreaAndThePrint() {
        auto printed = [this](bool title, int* left) {
            m_app = std::make_unique<TempAppFolder>();
            auto form = open(true, QString(), title);
            *left = form->bill().items.at(at(*form, "金额")).box.left;
            enter(*form, "金额", QStringLiteral("12"), form->editors->amountEditor);
            auto* printing = new PdfPrinting(m_pdfDir.path());
            Printing::install(std::unique_ptr<Printing>(printing));
            form->printButton->click();
            return PdfPages::find(PdfPages::words(printing->lastFile()), QStringLiteral("12.00")).left();
        };
        if (!PdfPages::toolsAvailable())
            SKIP_WITHOUT_PRINTING_TOOLS("pdftotext is not installed");
        int plainLeft = 0, titledLeft = 0;
        const double plainX = printed(false, &plainLeft);
        const double titledX = printed(true, &titledLeft);

        QImage probe(1, 1, QImage::Format_RGB32);
        probe.setDotsPerMeterX(qRound(96 / 0.0254));
        probe.setDotsPerMeterY(qRound(96 / 0.0254));
        const int shift = QFontMetrics(FontOfText(u8("宋体-9")), &probe).horizontalAdvance(u8("金额：")) + 2;
        QCOMPARE(titledLeft - plainLeft, shift);
        // On paper the same shift in points, within the printer's rounding.
        QVERIFY2(qAbs((titledX - plainX) - shift * 72.0 / 96) <= 1.0,
                 qPrintable(QStringLiteral("%1 against %2").arg(titledX - plainX).arg(shift * 72.0 / 96)));
    }

    // A double-click in the pre-bill list offers the pre-bill menu; with no pre-bill it offers nothing.
    void preBillListDoubleClickOffersTheMenu() {
        auto form = open();
        const QPoint row1 = form->preBillList->visualRect(form->preBillList->model()->index(1, 1)).center();
        QTest::mouseDClick(form->preBillList->viewport(), Qt::LeftButton, {}, row1);
        QVERIFY(!form->preBillList->preBillMenu->isVisible());
        enter(*form, "金额", QStringLiteral("5"), form->editors->amountEditor);
        form->preBillButton->click();
        QTest::mouseDClick(form->preBillList->viewport(), Qt::LeftButton, {}, row1);
        QTRY_VERIFY(form->preBillList->preBillMenu->isVisible());
        QCOMPARE(form->preBillList->preBillMenu->actions().first()->text(), u8("选择预开票"));
        form->preBillList->preBillMenu->close();
    }

    void unreadableFontIsToldOnceAndNotPrinted() {
        auto form = open(true, u8("宋体-x"));
        QVERIFY(m_prompter->asked.isEmpty()); // nothing drawn with it yet
        enter(*form, "金额", QStringLiteral("12"), form->editors->amountEditor);
        enter(*form, "金额", QStringLiteral("13"), form->editors->amountEditor);
        QCOMPARE(m_prompter->texts(QStringLiteral("error")).size(), 1);
        QVERIFY(m_prompter->lastText().contains(u8("“金额”")));
        QVERIFY(blueIn(form->picture(), form->bill().items.at(at(*form, "大写")).box) >
                20); // others still drawn

        m_prompter->clear();
        form->printButton->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("error")).size(), 1);
        QCOMPARE(Sql::rowCount(Database::get(Db::Bill), m_entry.historyTable), 0);
    }

    void printThroughTheCupsQueue() {
        Printing::install(std::make_unique<CupsPrinting>());
        if (!Printing::instance().printers().contains(QStringLiteral("BillPDF")))
            SKIP_WITHOUT_PRINTING_TOOLS("the CUPS queue BillPDF is missing (scripts/start-cups.sh)");
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            SKIP_WITHOUT_PRINTING_TOOLS("pdftotext is not installed");
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            SKIP_WITHOUT_PRINTING_TOOLS("pdftoppm is not installed");
        Settings::setValue(QStringLiteral("Printer"), QStringLiteral("BillPDF"));
        const QDir out(QDir::homePath() + QStringLiteral("/PDF"));
        const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        auto form = open();
        enter(*form, "金额", QStringLiteral("98765.43"), form->editors->amountEditor);
        form->printButton->click();
        QCOMPARE(Sql::rowCount(Database::get(Db::Bill), m_entry.historyTable), 1);

        const QString arrived =
            PdfPages::awaitCupsPdf(out, before, u8("打印票据：") + m_entry.billName, 60000);
        QVERIFY2(!arrived.isEmpty(), "the job arrived in ~/PDF");

        // The printer's fonts carry no text, so compare what is on the page with the same bill printed
        // as a PDF file: the same ink at the same places. Text measured at the printer's resolution
        // may run a little longer or shorter at its right end.
        auto* printing = new PdfPrinting(m_pdfDir.path());
        Printing::install(std::unique_ptr<Printing>(printing));
        form->printButton->click();
        const QRect cups = PdfPages::inkBounds(arrived);
        const QRect direct = PdfPages::inkBounds(printing->lastFile());
        QFile::remove(arrived);
        QVERIFY2(direct.isValid(), "the direct print has ink");
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
    }

    void mainWindowOpensTheBill() {
        {
            BillStore store;
            store.ensureBillTypeTable();
            createBill(store, true);
        }
        TMainForm main;
        main.resize(1000, 800);
        main.show();
        QVERIFY(main.issueButton->isEnabled());
        QString caption;
        QTimer::singleShot(0, [&caption] {
            if (auto* form = qobject_cast<TMakeBillForm*>(QApplication::activeModalWidget())) {
                caption = form->windowTitle();
                form->exitButton->click();
            }
        });
        main.issueButton->click();
        QCOMPARE(caption, u8("支票--转帐支票  开票"));
    }
};

QTEST_MAIN(TestMakeBillForm)
#include "tst_MakeBillForm.moc"
