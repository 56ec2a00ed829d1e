#include "issuing/ui/TPrintPreviewForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

TPrintPreviewForm::TPrintPreviewForm(QWidget* parent, const QImage& page, int pageDpi, const QImage& form,
                                     const QRect& formArea, const QString& printer,
                                     const QString& calibration)
    : QDialog(parent), m_page(page), m_pageDpi(pageDpi), m_form(form), m_formArea(formArea) {
    setWindowTitle(QStringLiteral("打印预览"));
    resize(900, 560);

    auto* bar = new QHBoxLayout;
    const auto button = [this, bar](const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        bar->addWidget(b);
        return b;
    };
    fitPageButton = button(QStringLiteral("适合页面"));
    actualSizeButton = button(QStringLiteral("100%"));
    doubleSizeButton = button(QStringLiteral("200%"));
    formOutlineBox = new QCheckBox(QStringLiteral("显示票样轮廓"), this);
    formOutlineBox->setEnabled(!m_form.isNull());
    bar->addWidget(formOutlineBox);
    bar->addStretch();
    QString about = QStringLiteral("打印机：%1").arg(printer.isEmpty() ? QStringLiteral("（无）") : printer);
    if (!calibration.isEmpty())
        about += QStringLiteral("    ") + calibration;
    auto* aboutLabel = new QLabel(about, this);
    aboutLabel->setObjectName(QStringLiteral("printerLabel"));
    bar->addWidget(aboutLabel);
    bar->addStretch();
    printButton = button(QStringLiteral("打印"));
    closeButton = button(QStringLiteral("关闭"));

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_pageView = new QLabel;
    m_pageView->setObjectName(QStringLiteral("pageView"));
    m_scroll->setWidget(m_pageView);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(fitPageButton, &QPushButton::clicked, this, [this] { setZoom(Zoom::FitPage); });
    connect(actualSizeButton, &QPushButton::clicked, this, [this] { setZoom(Zoom::Actual); });
    connect(doubleSizeButton, &QPushButton::clicked, this, [this] { setZoom(Zoom::Double); });
    connect(formOutlineBox, &QCheckBox::toggled, this, [this] { showPage(); });
    connect(printButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrintPreviewForm::setZoom(Zoom zoom) {
    m_zoom = zoom;
    showPage();
}

QImage TPrintPreviewForm::composedPage() const {
    if (!formOutlineBox->isChecked() || m_form.isNull())
        return m_page;
    // The form, faint, under the values: laid lightened onto white, then multiplied with the page
    // so that the values stay as dark as they print.
    QImage faint(m_page.size(), QImage::Format_RGB32);
    faint.fill(Qt::white);
    {
        QPainter p(&faint);
        p.setOpacity(0.3);
        p.drawImage(m_formArea, m_form);
    }
    QImage composed = m_page.convertToFormat(QImage::Format_RGB32);
    QPainter p(&composed);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.drawImage(0, 0, faint);
    return composed;
}

QImage TPrintPreviewForm::shownImage() const {
    const QImage page = composedPage();
    double scale = 1.0;
    const double screenDpi = logicalDpiX() > 0 ? logicalDpiX() : 96.0;
    switch (m_zoom) {
    case Zoom::FitPage: {
        const QSize room = m_scroll->viewport()->size() - QSize(8, 8);
        scale = std::min(double(room.width()) / page.width(), double(room.height()) / page.height());
        break;
    }
    case Zoom::Actual:
        scale = screenDpi / m_pageDpi;
        break;
    case Zoom::Double:
        scale = 2 * screenDpi / m_pageDpi;
        break;
    }
    scale = std::max(scale, 0.01);
    return page.scaled(std::max(1, int(page.width() * scale)), std::max(1, int(page.height() * scale)),
                       Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void TPrintPreviewForm::showPage() {
    const QImage shown = shownImage();
    m_pageView->setPixmap(QPixmap::fromImage(shown));
    m_pageView->resize(shown.size());
}

void TPrintPreviewForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_zoom == Zoom::FitPage)
        showPage();
}

void TPrintPreviewForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showPage();
}
