// 数据库设置 as the operator uses it: a store address that does not connect is told and not
// saved; one that connects is saved for the next start; an empty one goes back to the folder's
// own store.
#include "app/ui/TDatabaseSettingsForm.h"
#include "platform/Settings.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}
} // namespace

class TestDatabaseSettingsForm : public QObject {
    Q_OBJECT

private slots:
    void onlyAStoreThatConnectsIsSaved() {
        REQUIRE_TEST_SERVER();
        TempAppFolder app;
        Settings::ensureExists();
        ScriptedPrompter* prompter = ScriptedPrompter::install();
        TDatabaseSettingsForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // Nobody listens on port 1; the reason is shown and nothing is saved.
        retype(form.storeUrlEdit, QStringLiteral("postgresql://127.0.0.1:1/bills?user=nobody"));
        QTest::mouseClick(form.saveButton, Qt::LeftButton);
        QVERIFY(form.connectionStateLabel->text().startsWith(QStringLiteral("无法连接：")));
        QVERIFY(form.isVisible());
        QCOMPARE(Settings::store(), QString());

        retype(form.storeUrlEdit, QStringLiteral("postgresql://h/bills?password=x"));
        QTest::mouseClick(form.testConnectionButton, Qt::LeftButton);
        QVERIFY(form.connectionStateLabel->text().contains(QStringLiteral("~/.pgpass")));

        retype(form.storeUrlEdit, testServerUrl());
        QTest::mouseClick(form.testConnectionButton, Qt::LeftButton);
        QCOMPARE(form.connectionStateLabel->text(), QStringLiteral("连接成功。"));
        QTest::mouseClick(form.saveButton, Qt::LeftButton);
        QCOMPARE(Settings::store(), testServerUrl());
        QCOMPARE(prompter->texts(QStringLiteral("notice")),
                 QStringList{QStringLiteral("数据库设置已保存，重新启动程序后使用新的数据库。")});
        QVERIFY(!form.isVisible());

        TDatabaseSettingsForm again;
        again.show();
        QCOMPARE(again.storeUrlEdit->text(), testServerUrl());
        retype(again.storeUrlEdit, QString());
        QTest::mouseClick(again.saveButton, Qt::LeftButton);
        QCOMPARE(Settings::store(), QString());
        QCOMPARE(prompter->unexpected, 0);
    }
};

QTEST_MAIN(TestDatabaseSettingsForm)
#include "tst_DatabaseSettingsForm.moc"
