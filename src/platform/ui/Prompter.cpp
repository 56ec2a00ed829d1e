#include "platform/ui/Prompter.h"

#include "store/StoreError.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace {
std::unique_ptr<Prompter>& slot() {
    static std::unique_ptr<Prompter> s;
    return s;
}
const QString kTitle = QStringLiteral("系统提示");

QString runFileDialog(QWidget* parent, const FileDialogSpec& spec, QFileDialog::AcceptMode mode) {
    QFileDialog dlg(parent, spec.title, QString(), spec.filter);
    dlg.setAcceptMode(mode);
    dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!spec.defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(spec.defaultSuffix);
    if (!spec.fileName.isEmpty())
        dlg.selectFile(spec.fileName);
    // Every command that saves asks its own overwrite question.
    if (mode == QFileDialog::AcceptSave)
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}
} // namespace

QString describeException(const std::exception& e) {
    if (auto* s = dynamic_cast<const StoreError*>(&e))
        return s->message();
    return QString::fromLocal8Bit(e.what());
}

Prompter& Prompter::instance() {
    if (!slot())
        slot() = std::make_unique<QtPrompter>();
    return *slot();
}

void Prompter::install(std::unique_ptr<Prompter> prompter) {
    slot() = std::move(prompter);
}

bool QtPrompter::question(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, kTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtPrompter::warning(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, kTitle, text, QMessageBox::Ok);
}

void QtPrompter::notice(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationName(), text, QMessageBox::Ok);
}

void QtPrompter::error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationName(), text, QMessageBox::Ok);
}

QString QtPrompter::openFile(QWidget* parent, const FileDialogSpec& spec) {
    return runFileDialog(parent, spec, QFileDialog::AcceptOpen);
}

QString QtPrompter::saveFile(QWidget* parent, const FileDialogSpec& spec) {
    return runFileDialog(parent, spec, QFileDialog::AcceptSave);
}

QString QtPrompter::openPicture(QWidget* parent, const FileDialogSpec& spec) {
    return runFileDialog(parent, spec, QFileDialog::AcceptOpen);
}

std::optional<QFont> QtPrompter::pickFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return f;
}
