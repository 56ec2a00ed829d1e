#include "app/ui/HelpWindow.h"

#include "platform/AppPaths.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tarvel智能票据打印 - 帮助"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    pageView = new QTextBrowser(this);
    pageView->setObjectName(QStringLiteral("pageView"));
    pageView->setOpenExternalLinks(false);
    pageView->setOpenLinks(true);
    contentsButton = new QPushButton(QStringLiteral("目  录"), this);
    contentsButton->setObjectName(QStringLiteral("contentsButton"));
    backButton = new QPushButton(QStringLiteral("后  退"), this);
    backButton->setObjectName(QStringLiteral("backButton"));
    forwardButton = new QPushButton(QStringLiteral("前  进"), this);
    forwardButton->setObjectName(QStringLiteral("forwardButton"));
    closeButton = new QPushButton(QStringLiteral("关  闭"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton* b : {contentsButton, backButton, forwardButton, closeButton})
        b->setAutoDefault(false);
    backButton->setEnabled(false);
    forwardButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(backButton);
    buttons->addWidget(forwardButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(pageView, 1);

    connect(contentsButton, &QPushButton::clicked, pageView, &QTextBrowser::home);
    connect(backButton, &QPushButton::clicked, pageView, &QTextBrowser::backward);
    connect(forwardButton, &QPushButton::clicked, pageView, &QTextBrowser::forward);
    connect(pageView, &QTextBrowser::backwardAvailable, backButton, &QPushButton::setEnabled);
    connect(pageView, &QTextBrowser::forwardAvailable, forwardButton, &QPushButton::setEnabled);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    pageView->setSource(pageUrl());
    QSize size(900, 700);
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
    resize(size);
}

QUrl HelpWindow::pageUrl() {
    const QString file = AppPaths::helpFile();
    if (QFileInfo(file).isFile())
        return QUrl::fromLocalFile(file);
    return QUrl(QStringLiteral("qrc:/help/help.html"));
}
