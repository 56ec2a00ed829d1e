#include "app/ui/TDatabaseSettingsForm.h"

#include "platform/Settings.h"
#include "platform/ui/Prompter.h"
#include "store/Database.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDatabaseSettingsForm::TDatabaseSettingsForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("数据库设置"));
    auto* layout = new QVBoxLayout(this);
    auto* explanation =
        new QLabel(QStringLiteral("票据、打印记录、基本信息和票据图片保存在：\n"
                                  "· 留空：本应用程序文件夹中的数据库（只供本机使用）\n"
                                  "· 共享数据库地址：postgresql://服务器:端口/数据库名?user=用户名\n"
                                  "密码不写在这里，请写在 ~/.pgpass 文件中。"),
                   this);
    layout->addWidget(explanation);
    storeUrlEdit = new QLineEdit(Settings::store(), this);
    storeUrlEdit->setPlaceholderText(QStringLiteral("postgresql://服务器:5432/数据库名?user=用户名"));
    storeUrlEdit->setMinimumWidth(420);
    layout->addWidget(storeUrlEdit);
    connectionStateLabel = new QLabel(this);
    connectionStateLabel->setWordWrap(true);
    layout->addWidget(connectionStateLabel);

    auto* buttons = new QHBoxLayout;
    testConnectionButton = new QPushButton(QStringLiteral("测试连接"), this);
    saveButton = new QPushButton(QStringLiteral("保存"), this);
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    buttons->addStretch();
    buttons->addWidget(testConnectionButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);

    connect(testConnectionButton, &QPushButton::clicked, this, [this] { testConnection(); });
    connect(saveButton, &QPushButton::clicked, this, &TDatabaseSettingsForm::save);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(storeUrlEdit, &QLineEdit::textChanged, this, [this] { connectionStateLabel->clear(); });
}

bool TDatabaseSettingsForm::testConnection() {
    const QString url = storeUrlEdit->text().trimmed();
    if (url.isEmpty()) {
        connectionStateLabel->setText(QStringLiteral("使用本应用程序文件夹中的数据库。"));
        m_testedUrl = url;
        return true;
    }
    const QString failure = Database::probeServer(url);
    if (!failure.isEmpty()) {
        connectionStateLabel->setText(QStringLiteral("无法连接：%1").arg(failure));
        return false;
    }
    connectionStateLabel->setText(QStringLiteral("连接成功。"));
    m_testedUrl = url;
    return true;
}

void TDatabaseSettingsForm::save() {
    const QString url = storeUrlEdit->text().trimmed();
    // What is saved has been connected to, so that the next start does not stop at a typo.
    if (url != m_testedUrl && !testConnection())
        return;
    if (!Settings::setStore(url)) {
        Prompter::instance().error(this, QStringLiteral("无法保存数据库设置：设置文件不能写入。"));
        return;
    }
    if (url != Database::storeUrl())
        Prompter::instance().notice(this, QStringLiteral("数据库设置已保存，重新启动程序后使用新的数据库。"));
    accept();
}
