#include "platform/ui/Prompter.h"

#include "platform/ui/FontChooser.h"
#include "store/StoreError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {
std::unique_ptr<Prompter>& slot() {
    static std::unique_ptr<Prompter> s;
    return s;
}
const QString kTitle = QStringLiteral("系统提示");

// A message box whose buttons say 是, 否 and 确定 even where Qt's translation is missing.
QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                const QString& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    const struct {
        QMessageBox::StandardButton button;
        const char* text;
    } chinese[] = {{QMessageBox::Yes, "是"}, {QMessageBox::No, "否"}, {QMessageBox::Ok, "确定"}};
    for (const auto& c : chinese)
        if (QAbstractButton* b = box.button(c.button))
            b->setText(QString::fromUtf8(c.text));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString runFileDialog(QWidget* parent, const FileDialogSpec& spec, QFileDialog::AcceptMode mode) {
    QFileDialog dlg(parent, spec.title, QString(), spec.filter);
    // Qt's own dialog, so that its texts are the program's Chinese ones on every desktop.
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setLabelText(QFileDialog::LookIn, QStringLiteral("查找范围："));
    dlg.setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dlg.setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
    dlg.setLabelText(QFileDialog::Accept,
                     mode == QFileDialog::AcceptOpen ? QStringLiteral("打开") : QStringLiteral("保存"));
    dlg.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
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
    return ask(parent, QMessageBox::Question, kTitle, text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompter::warning(QWidget* parent, const QString& text) {
    ask(parent, QMessageBox::Information, kTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompter::notice(QWidget* parent, const QString& text) {
    ask(parent, QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok,
        QMessageBox::Ok);
}

void QtPrompter::error(QWidget* parent, const QString& text) {
    ask(parent, QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
        QMessageBox::Ok);
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
    FontChooser dialog(parent);
    dialog.setChosenFont(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenFont();
}
