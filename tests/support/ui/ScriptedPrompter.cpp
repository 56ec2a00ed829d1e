#include "support/ui/ScriptedPrompter.h"

ScriptedPrompter* ScriptedPrompter::install() {
    auto p = std::make_unique<ScriptedPrompter>();
    ScriptedPrompter* raw = p.get();
    Prompter::install(std::move(p));
    return raw;
}

bool ScriptedPrompter::question(QWidget*, const QString& text) {
    asked.append({QStringLiteral("question"), text});
    if (answers.isEmpty()) {
        ++unexpected;
        return false;
    }
    return answers.takeFirst();
}

void ScriptedPrompter::warning(QWidget*, const QString& text) {
    asked.append({QStringLiteral("warning"), text});
}
void ScriptedPrompter::notice(QWidget*, const QString& text) {
    asked.append({QStringLiteral("notice"), text});
}
void ScriptedPrompter::error(QWidget*, const QString& text) {
    asked.append({QStringLiteral("error"), text});
}

QString ScriptedPrompter::nextFile(const QString& kind, const FileDialogSpec& spec) {
    asked.append({kind, spec.title});
    if (files.isEmpty()) {
        ++unexpected;
        return {};
    }
    return files.takeFirst();
}

QString ScriptedPrompter::openFile(QWidget*, const FileDialogSpec& spec) {
    return nextFile(QStringLiteral("open"), spec);
}
QString ScriptedPrompter::saveFile(QWidget*, const FileDialogSpec& spec) {
    return nextFile(QStringLiteral("save"), spec);
}
QString ScriptedPrompter::openPicture(QWidget*, const FileDialogSpec& spec) {
    return nextFile(QStringLiteral("picture"), spec);
}

std::optional<QFont> ScriptedPrompter::pickFont(QWidget*, const QFont&) {
    asked.append({QStringLiteral("font"), QString()});
    if (fonts.isEmpty()) {
        ++unexpected;
        return std::nullopt;
    }
    return fonts.takeFirst();
}

QStringList ScriptedPrompter::texts(const QString& kind) const {
    QStringList out;
    for (const Asked& a : asked)
        if (a.kind == kind)
            out << a.text;
    return out;
}
