#pragma once

#include <QFont>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

// A file dialog as its caller sets it up: title, filter, default extension and proposed name.
struct FileDialogSpec {
    QString title;
    QString filter;
    QString defaultSuffix;
    QString fileName;
};

// Every question, notice and standard dialog a window shows goes through here, so that tests can
// answer them by script and see what was asked.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Yes/No question titled "系统提示"; true only for Yes.
    virtual bool question(QWidget* parent, const QString& text) = 0;
    // Refusal or notice titled "系统提示" with an OK button.
    virtual void warning(QWidget* parent, const QString& text) = 0;
    // Plain notice with the application's title and an OK button.
    virtual void notice(QWidget* parent, const QString& text) = 0;
    // An error the operation could not get past (store or file errors).
    virtual void error(QWidget* parent, const QString& text) = 0;
    // Empty when cancelled.
    virtual QString openFile(QWidget* parent, const FileDialogSpec& spec) = 0;
    virtual QString saveFile(QWidget* parent, const FileDialogSpec& spec) = 0;
    virtual QString openPicture(QWidget* parent, const FileDialogSpec& spec) = 0;
    virtual std::optional<QFont> pickFont(QWidget* parent, const QFont& initial) = 0;

    static Prompter& instance();
    static void install(std::unique_ptr<Prompter> prompter);
};

// The real dialogs.
class QtPrompter : public Prompter {
public:
    bool question(QWidget* parent, const QString& text) override;
    void warning(QWidget* parent, const QString& text) override;
    void notice(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    QString openFile(QWidget* parent, const FileDialogSpec& spec) override;
    QString saveFile(QWidget* parent, const FileDialogSpec& spec) override;
    QString openPicture(QWidget* parent, const FileDialogSpec& spec) override;
    std::optional<QFont> pickFont(QWidget* parent, const QFont& initial) override;
};

// Runs an action of a window and shows any error it throws, so that the window stays usable.
// Returns false when the action failed.
template <typename F> bool guarded(QWidget* parent, F&& action);

#include "platform/ui/Prompter_impl.h"
