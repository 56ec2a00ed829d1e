#pragma once

#include <QString>

#include <functional>

class QWidget;
class Worker;

// The main window's backup commands: export a system backup, import one, import only its
// reference information. Each asks through the Prompter, runs its worker behind the busy window
// and tells the operator when the worker failed; the main window then refreshes as returned.
class BackupCommands {
public:
    // Runs a worker behind the busy window; false with the error text when the worker threw.
    using Runner = std::function<bool(QWidget* parent, const QString& text, Worker& worker, QString* error)>;
    enum class Refresh {
        None,        // nothing ran
        CurrentType, // list the bills of the current type again
        All,         // rebuild the type list and the bill list
    };

    BackupCommands(QWidget* parent, Runner runner);

    Refresh exportBackup();      // "导出系统备份"
    Refresh importBackup();      // "导入系统备份"
    Refresh importInformation(); // "导入信息"

private:
    QString chooseBackupToImport();

    QWidget* m_parent;
    Runner m_runner;
};
