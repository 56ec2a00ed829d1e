#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// 数据库设置: where the bill store lives. Empty is the application folder's own store; a
// postgresql:// URL is a store shared with other desks. A URL is saved only after a connection to
// it worked; the program uses the new store from its next start.
class TDatabaseSettingsForm : public QDialog {
    Q_OBJECT
public:
    explicit TDatabaseSettingsForm(QWidget* parent = nullptr);

    QLineEdit* storeUrlEdit = nullptr;
    QLabel* connectionStateLabel = nullptr;
    QPushButton* testConnectionButton = nullptr; // "测试连接"
    QPushButton* saveButton = nullptr;           // "保存"
    QPushButton* cancelButton = nullptr;         // "取消"

    // Connects to the URL typed; true when the connection worked (an empty URL always does).
    bool testConnection();

private:
    void save();
    QString m_testedUrl;
};
