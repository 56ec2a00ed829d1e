#pragma once

#include "platform/ui/Prompter.h"

#include <QList>
#include <QStringList>

// Answers every question and dialog from a script and records what was asked. A question or
// dialog that comes without a scripted answer fails the test (answered No / cancelled).
class ScriptedPrompter : public Prompter {
public:
    struct Asked {
        QString kind; // "question", "warning", "notice", "error", "open", "save", "picture", "font"
        QString text; // message text, or the dialog title
    };

    // Installs a new scripted prompter and returns it (owned by Prompter).
    static ScriptedPrompter* install();

    QList<Asked> asked;
    QList<bool> answers; // for question()
    QStringList files;   // for openFile(), saveFile(), openPicture(); "" cancels
    QList<QFont> fonts;  // for pickFont()
    int unexpected = 0;  // questions or dialogs that found no scripted answer

    bool question(QWidget* parent, const QString& text) override;
    void warning(QWidget* parent, const QString& text) override;
    void notice(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    QString openFile(QWidget* parent, const FileDialogSpec& spec) override;
    QString saveFile(QWidget* parent, const FileDialogSpec& spec) override;
    QString openPicture(QWidget* parent, const FileDialogSpec& spec) override;
    std::optional<QFont> pickFont(QWidget* parent, const QFont& initial) override;

    // Texts of everything asked of one kind.
    QStringList texts(const QString& kind) const;
    QString lastText() const { return asked.isEmpty() ? QString() : asked.constLast().text; }
    void clear() { asked.clear(); }

private:
    QString nextFile(const QString& kind, const FileDialogSpec& spec);
};
