#include "app/ui/TMainForm.h"
#include "exchange/ui/TLoadBillFileForm.h"
#include "issuing/ui/TMakeBillForm.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"
#include "support/ui/GridInput.h"
#include "support/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <atomic>

namespace {
QPoint cellPoint(QTableWidget* grid, int row, int x = -1) {
    const QRect r = grid->visualRect(grid->model()->index(row, 0));
    return {x < 0 ? r.center().x() : x, r.center().y()};
}

void press(QTableWidget* grid, int row, int x = -1) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellPoint(grid, row, x));
}

QString cell(QTableWidget* grid, int row) {
    return grid->item(row, 0) ? grid->item(row, 0)->text() : QString();
}
} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;
    ScriptedPrompter* m_prompter = nullptr;

    std::unique_ptr<TMainForm> showMain() {
        auto form = std::make_unique<TMainForm>();
        form->resize(1000, 800);
        form->show();
        return form;
    }

private slots:
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_app.reset();
    }

    void emptyStoreShowsNothingToActOn() {
        auto form = showMain();
        QCOMPARE(form->typeList->rowCount(), 1);
        QCOMPARE(cell(form->typeList, 0), QString());
        QCOMPARE(form->locationLabel->text(), QStringLiteral("  目前位置："));
        QCOMPARE(form->billList->rowCount(), 15);
        QCOMPARE(form->selectedBill(), nullptr);
        form->deleteBillButton->click();
        QVERIFY(m_prompter->asked.isEmpty());
    }

    // On an empty store the work area leads to a first bill; the welcome goes once a bill exists.
    void welcomeLeadsToAFirstBill() {
        auto form = showMain();
        auto* welcome = form->findChild<QWidget*>(QStringLiteral("welcomePanel"));
        QVERIFY(welcome);
        QVERIFY(welcome->isVisible());
        QVERIFY(!form->billList->isVisible());
        const auto button = [&](const char* name) {
            auto* b = welcome->findChild<QPushButton*>(QString::fromLatin1(name));
            return b && b->isVisible() ? b : nullptr;
        };
        QVERIFY(button("importBillFileButton") && button("designBillButton") && button("importSampleButton"));

        bool importOpened = false;
        whenShown<TLoadBillFileForm>([&](TLoadBillFileForm* d) {
            importOpened = true;
            d->reject();
        });
        QTest::mouseClick(button("importBillFileButton"), Qt::LeftButton);
        QVERIFY(importOpened);

        m_prompter->files << QString();
        QTest::mouseClick(button("designBillButton"), Qt::LeftButton);
        QCOMPARE(m_prompter->texts(QStringLiteral("save")),
                 QStringList{QStringLiteral("票据定义文件保存为")});

        QTest::mouseClick(button("importSampleButton"), Qt::LeftButton);
        QCOMPARE(cell(form->typeList, 0), QStringLiteral("支票"));
        QVERIFY(form->selectedBill());
        QCOMPARE(form->selectedBill()->billName, QStringLiteral("示例转帐支票"));
        QVERIFY(!welcome->isVisible());
        QVERIFY(form->billList->isVisible());
    }

    // At the program's start the window is painted before the store is read; the store's
    // preparation, then the lists, follow in the next pass of the event loop. A preparation that
    // fails is told and is signalled.
    void startPaintsBeforeTheStoreIsRead() {
        {
            BillStore store;
            store.ensureBillTypeTable();
            addFixtureBill(store, 2, QStringLiteral("电汇甲"));
        }
        for (const bool fails : {false, true}) {
            std::atomic_int prepared = 0;
            TMainForm form([&] {
                ++prepared;
                if (fails)
                    throw StoreError(QStringLiteral("无法打开数据库"));
            });
            form.resize(1000, 800);
            form.show();
            QCOMPARE(prepared, 0);
            QCOMPARE(cell(form.typeList, 0), QString());
            if (!fails) {
                QVERIFY(QTest::qWaitForWindowExposed(&form));
                QTRY_COMPARE(prepared.load(), 1);
                QTRY_COMPARE(cell(form.typeList, 0), QStringLiteral("电汇"));
                QCOMPARE(form.selectedBill()->billName, QStringLiteral("电汇甲"));
                continue;
            }
            QSignalSpy failed(&form, &TMainForm::storeFailed);
            QVERIFY(failed.wait());
            QCOMPARE(prepared.load(), 1);
            QCOMPARE(m_prompter->texts(QStringLiteral("error")),
                     QStringList{QStringLiteral("无法打开数据库")});
            QCOMPARE(cell(form.typeList, 0), QString());
            m_prompter->clear();
        }
    }

    // The store is opened, the lists read and the store tidied on a thread of their own: the
    // window takes input meanwhile, the lists are shown before the tidying, and the commands that
    // change the store are disabled until it is done.
    void takesInputWhileTheStoreOpens() {
        {
            BillStore store;
            store.ensureBillTypeTable();
            addFixtureBill(store, 2, QStringLiteral("电汇甲"));
            addFixtureBill(store, 3, QStringLiteral("汇票甲"));
        }
        // The connections opened for the window are handed to it.
        Database::closeThreadConnections();
        QSemaphore opened;
        QSemaphore tidied;
        std::atomic_bool preparing = false;
        std::atomic_bool tidying = false;
        TMainForm form(
            [&] {
                preparing = true;
                opened.tryAcquire(1, 10000);
                preparing = false;
            },
            [&] {
                tidying = true;
                tidied.tryAcquire(1, 10000);
                tidying = false;
            });
        form.resize(1000, 800);
        form.show();
        QTRY_VERIFY(preparing.load());
        QVERIFY(form.openingStore());
        const auto storeCommandsEnabled = [&] {
            const QList<QAction*> actions{form.importBillAction, form.exportBackupAction,
                                          form.importBackupAction, form.ownAccountsAction, form.queryAction};
            const QList<QPushButton*> buttons{form.importBillButton, form.issueButton, form.batchPrintButton,
                                              form.deleteBillButton};
            const auto enabled = [](const auto* w) { return w->isEnabled(); };
            const bool all = std::all_of(actions.cbegin(), actions.cend(), enabled) &&
                             std::all_of(buttons.cbegin(), buttons.cend(), enabled);
            const bool none = std::none_of(actions.cbegin(), actions.cend(), enabled) &&
                              std::none_of(buttons.cbegin(), buttons.cend(), enabled);
            return all ? 1 : none ? 0 : -1;
        };
        QCOMPARE(storeCommandsEnabled(), 0);

        // A press on the menu bar, queued as input is, opens the menu at once.
        QMenuBar* bar = form.menuBar();
        const QPoint at = bar->actionGeometry(bar->actions().constLast()).center();
        QElapsedTimer clock;
        clock.start();
        QCoreApplication::postEvent(bar, new QMouseEvent(QEvent::MouseButtonPress, at, bar->mapToGlobal(at),
                                                         Qt::LeftButton, Qt::LeftButton, {}));
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget(), 2000);
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(preparing.load());
        QApplication::activePopupWidget()->close();

        // The lists come while the store is tidied; listing another type reads the store on the
        // window's own connection meanwhile.
        opened.release();
        QTRY_VERIFY(tidying.load());
        QTRY_COMPARE(cell(form.typeList, 0), QStringLiteral("电汇"));
        QCOMPARE(form.selectedBill()->billName, QStringLiteral("电汇甲"));
        press(form.typeList, 1);
        QCOMPARE(form.selectedBill()->billName, QStringLiteral("汇票甲"));
        QVERIFY(form.openingStore());
        QCOMPARE(storeCommandsEnabled(), 0);

        tidied.release();
        QTRY_VERIFY(!form.openingStore());
        QCOMPARE(storeCommandsEnabled(), 1);
        m_prompter->answers = {true};
        form.deleteBillButton->click();
        QCOMPARE(cell(form.typeList, 0), QStringLiteral("电汇"));
        QCOMPARE(form.typeList->rowCount(), 1);
    }

    void listsTypesWithBillsAndSelectsByMouse() {
        {
            BillStore store;
            store.ensureBillTypeTable();
            addFixtureBill(store, 2, QStringLiteral("电汇甲"));
            addFixtureBill(store, 0, QStringLiteral("  现金支票 "));
            addFixtureBill(store, 0, QStringLiteral("转帐支票"));
        }
        auto form = showMain();
        QCOMPARE(form->typeList->rowCount(), 2);
        QCOMPARE(cell(form->typeList, 0), QStringLiteral("支票"));
        QCOMPARE(cell(form->typeList, 1), QStringLiteral("电汇"));
        QCOMPARE(form->locationLabel->text(), QStringLiteral("  目前位置：支票"));
        QCOMPARE(cell(form->billList, 0), QStringLiteral("支票-列表"));
        QCOMPARE(cell(form->billList, 1), QStringLiteral("现金支票")); // shown trimmed
        QCOMPARE(form->selectedBillIndex(), 0);

        press(form->billList, 2);
        QCOMPARE(form->selectedBillIndex(), 1);
        QCOMPARE(form->selectedBill()->billName, QStringLiteral("转帐支票"));
        // The card margin left of the cards does not change the selection.
        press(form->billList, 1, 10);
        QCOMPARE(form->selectedBillIndex(), 1);
        // An empty row below the bills selects nothing new either.
        press(form->billList, 5);
        QCOMPARE(form->selectedBillIndex(), 1);

        press(form->typeList, 1);
        QCOMPARE(form->currentTypeIndex(), 2);
        QCOMPARE(form->highlightedTypeRow(), 1);
        QCOMPARE(cell(form->billList, 0), QStringLiteral("电汇-列表"));
        QCOMPARE(form->selectedBill()->billName, QStringLiteral("电汇甲"));
        // A press in the side margin of the type list changes nothing.
        press(form->typeList, 0, 3);
        QCOMPARE(form->currentTypeIndex(), 2);
    }

    void deletingAsksAndRemovesTheBill() {
        {
            BillStore store;
            store.ensureBillTypeTable();
            addFixtureBill(store, 0, QStringLiteral(" 支票A"));
            addFixtureBill(store, 3, QStringLiteral("汇票A"));
        }
        auto form = showMain();
        m_prompter->answers = {false};
        form->deleteBillButton->click();
        QCOMPARE(m_prompter->lastText(), QStringLiteral("确定要删除票据:  支票A  吗 ？"));
        QCOMPARE(form->billEntries().size(), 1);

        // The last bill of a type takes its type off the list; the next type is listed.
        m_prompter->answers = {true};
        form->deleteBillButton->click();
        QCOMPARE(form->typeList->rowCount(), 1);
        QCOMPARE(cell(form->typeList, 0), QStringLiteral("汇票"));
        QCOMPARE(form->currentTypeIndex(), 3);
        QCOMPARE(form->selectedBill()->billName, QStringLiteral("汇票A"));
        QCOMPARE(Sql::rowCount(Database::get(Db::Bill), QStringLiteral("主控")), 1);

        m_prompter->answers = {true};
        form->deleteBillButton->click();
        QCOMPARE(form->currentTypeIndex(), -1);
        QCOMPARE(form->locationLabel->text(), QStringLiteral("  目前位置："));
        QCOMPARE(form->selectedBill(), nullptr);
    }

    // A double-click on a bill opens its filling window, as "开  票" does.
    void doubleClickOpensTheBill() {
        {
            BillStore store;
            store.ensureBillTypeTable();
            addFixtureBill(store, 0, QStringLiteral("转帐支票"));
        }
        auto form = showMain();
        QString caption;
        whenShown<TMakeBillForm>([&caption](TMakeBillForm* bill) {
            caption = bill->windowTitle();
            bill->exitButton->click();
        });
        const QPoint at = cellPoint(form->billList, 1);
        QTest::mouseClick(form->billList->viewport(), Qt::LeftButton, {}, at);
        QTest::mousePress(form->billList->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form->billList->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(form->billList->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(caption, QStringLiteral("支票--转帐支票  开票"));
    }

    void refreshFollowsTheStore() {
        auto form = showMain();
        {
            BillStore store;
            store.ensureBillTypeTable();
            addFixtureBill(store, 6, QStringLiteral("本票一"));
        }
        form->refreshAll();
        QCOMPARE(cell(form->typeList, 0), QStringLiteral("本票"));
        QCOMPARE(form->selectedBill()->billName, QStringLiteral("本票一"));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
