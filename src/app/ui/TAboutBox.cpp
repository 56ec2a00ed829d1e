#include "app/ui/TAboutBox.h"

#include "platform/AppPaths.h"
#include "platform/Settings.h"

#include <QDir>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于Tarvel智能票据打印软件"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QFrame(this);
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);
    auto* pl = new QVBoxLayout(picture);
    auto* name = new QLabel(QStringLiteral("Tarvel智能票据打印"), picture);
    QFont f = name->font();
    f.setPointSize(16);
    f.setBold(true);
    name->setFont(f);
    pl->addWidget(name);
    pl->addWidget(new QLabel(QStringLiteral("版本 1.00"), picture));
    layout->addWidget(picture);
    CompanyLabel = new QLabel(this);
    UserLabel = new QLabel(this);
    layout->addWidget(CompanyLabel);
    layout->addWidget(UserLabel);
    // Where the stores, pictures and settings are, for backups by hand and for support.
    auto* folder =
        new QLabel(QStringLiteral("数据文件夹：") + QDir::toNativeSeparators(AppPaths::home()), this);
    folder->setObjectName(QStringLiteral("dataFolderLabel"));
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(folder);
    auto* ok = new QPushButton(QStringLiteral("确  认"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    showRegistration();
}

void TAboutBox::showRegistration() {
    if (!Settings::exists())
        return;
    CompanyLabel->setText(QStringLiteral("公司：") + Settings::value(QStringLiteral("Company")));
    UserLabel->setText(QStringLiteral("使用者：") + Settings::value(QStringLiteral("UserName")));
}
