#include "app/ui/TWelcomForm.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

TWelcomForm::TWelcomForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(828, 500);
    auto* Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
    Timer1->start(5000);
}

void TWelcomForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0, 64, 160));
    g.setColorAt(1, QColor(150, 196, 218));
    p.fillRect(rect(), g);
    p.setPen(Qt::white);
    QFont f(QStringLiteral("微软雅黑"));
    f.setPixelSize(44);
    f.setBold(true);
    p.setFont(f);
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Tarvel智能票据打印 1.00"));
}
