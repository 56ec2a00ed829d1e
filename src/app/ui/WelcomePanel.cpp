#include "app/ui/WelcomePanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

WelcomePanel::WelcomePanel(bool sampleAvailable, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("welcomePanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);

    auto* title = new QLabel(QStringLiteral("欢迎使用Tarvel智能票据打印"), this);
    QFont tf = title->font();
    tf.setPixelSize(20);
    tf.setBold(true);
    title->setFont(tf);
    layout->addWidget(title);

    QString text = QStringLiteral(
        "还没有票据。每种票据先要有一个票据模板：它记下票据的大小、票样图片和各个填写项的位置。\n\n"
        "· 已经有票据定义文件（*.BDF）的，导入它；\n"
        "· 没有的，扫描一张空白票据，设计新票据，保存后再导入；\n");
    if (sampleAvailable)
        text +=
            QStringLiteral("· 想先试一试的，导入示例票据：选中“示例转帐支票”，按“开  票”填写，然后打印。\n");
    auto* intro = new QLabel(text, this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_importBillFileButton = new QPushButton(QStringLiteral("导入票据定义文件"), this);
    m_importBillFileButton->setObjectName(QStringLiteral("importBillFileButton"));
    m_designBillButton = new QPushButton(QStringLiteral("设计新票据"), this);
    m_designBillButton->setObjectName(QStringLiteral("designBillButton"));
    m_importSampleButton = new QPushButton(QStringLiteral("导入示例票据"), this);
    m_importSampleButton->setObjectName(QStringLiteral("importSampleButton"));
    m_importSampleButton->setVisible(sampleAvailable);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_importBillFileButton, m_designBillButton, m_importSampleButton}) {
        b->setMinimumSize(140, 40);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();

    connect(m_importBillFileButton, &QPushButton::clicked, this, &WelcomePanel::importBillFileRequested);
    connect(m_designBillButton, &QPushButton::clicked, this, &WelcomePanel::designBillRequested);
    connect(m_importSampleButton, &QPushButton::clicked, this, &WelcomePanel::importSampleRequested);
}
