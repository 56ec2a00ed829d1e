#include "app/ui/TPrinterCalibrationForm.h"

#include "issuing/PrintJob.h"
#include "issuing/PrinterCalibration.h"
#include "platform/Printing.h"
#include "platform/ui/Prompter.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString mm(int tenths) {
    return QString::number(tenths / 10.0, 'f', 1);
}

// "123.4" in tenths of a millimetre; empty when the text is empty or no such length.
std::optional<int> tenthsOf(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || v < 0 || v > 10000)
        return std::nullopt;
    return qRound(v * 10);
}

} // namespace

TPrinterCalibrationForm::TPrinterCalibrationForm(QWidget* parent, const QStringList& printers,
                                                 const QString& current)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("打印机校准"));

    printerSelector = new QComboBox(this);
    printerSelector->addItems(printers);
    if (printers.contains(current))
        printerSelector->setCurrentText(current);
    savedOffsetLabel = new QLabel(this);

    paperWidthBox = new QSpinBox(this);
    paperLengthBox = new QSpinBox(this);
    for (QSpinBox* box : {paperWidthBox, paperLengthBox}) {
        box->setRange(100, 1000);
        box->setSuffix(QStringLiteral(" 毫米"));
    }
    paperWidthBox->setValue(PrinterCalibration::kA4Width / 10);
    paperLengthBox->setValue(PrinterCalibration::kA4Length / 10);
    printSheetButton = new QPushButton(QStringLiteral("打印校准页"), this);

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("打印机："), printerSelector);
    top->addRow(QStringLiteral("当前校准："), savedOffsetLabel);
    auto* paper = new QHBoxLayout;
    paper->addWidget(new QLabel(QStringLiteral("宽"), this));
    paper->addWidget(paperWidthBox);
    paper->addWidget(new QLabel(QStringLiteral("长"), this));
    paper->addWidget(paperLengthBox);
    paper->addWidget(printSheetButton);
    paper->addStretch();
    top->addRow(QStringLiteral("校准页纸张："), paper);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("十字（应在的位置，毫米）"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("量得 距左边缘"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("量得 距上边缘"), this), 0, 2);
    const int count = int(
        PrinterCalibration::crosshairs(PrinterCalibration::kA4Width, PrinterCalibration::kA4Length).size());
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}(\\.\\d?)?")), this);
    for (int i = 0; i < count; ++i) {
        auto* label = new QLabel(this);
        auto* x = new QLineEdit(this);
        auto* y = new QLineEdit(this);
        for (QLineEdit* e : {x, y}) {
            e->setValidator(validator);
            e->setPlaceholderText(QStringLiteral("未量"));
            connect(e, &QLineEdit::textEdited, this, [this] {
                m_computed.reset();
                computedOffsetLabel->clear();
                saveButton->setEnabled(false);
            });
        }
        x->setObjectName(QStringLiteral("measuredX%1").arg(i + 1));
        y->setObjectName(QStringLiteral("measuredY%1").arg(i + 1));
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(x, i + 1, 1);
        grid->addWidget(y, i + 1, 2);
        m_crosshairLabels << label;
        measuredXEdits << x;
        measuredYEdits << y;
    }

    computeButton = new QPushButton(QStringLiteral("计算偏移"), this);
    computedOffsetLabel = new QLabel(this);
    computedOffsetLabel->setObjectName(QStringLiteral("computedOffsetLabel"));
    saveButton = new QPushButton(QStringLiteral("保存校准"), this);
    saveButton->setEnabled(false);
    clearButton = new QPushButton(QStringLiteral("清除校准"), this);
    closeButton = new QPushButton(QStringLiteral("关闭"), this);
    for (QPushButton* b : {printSheetButton, computeButton, saveButton, clearButton, closeButton})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(computeButton);
    buttons->addWidget(computedOffsetLabel, 1);
    buttons->addWidget(saveButton);
    buttons->addWidget(clearButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new QLabel(QStringLiteral("先打印校准页（不做任何校准），再用直尺从纸张的左边缘和上边缘"
                                                "量出每个十字中心的位置，填入下表。没量的十字可以空着。"),
                                 this));
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(printerSelector, &QComboBox::currentTextChanged, this, [this] {
        showSavedOffset();
        m_computed.reset();
        computedOffsetLabel->clear();
        saveButton->setEnabled(false);
    });
    connect(paperWidthBox, &QSpinBox::valueChanged, this, [this] { relabelCrosshairs(); });
    connect(paperLengthBox, &QSpinBox::valueChanged, this, [this] { relabelCrosshairs(); });
    connect(printSheetButton, &QPushButton::clicked, this, &TPrinterCalibrationForm::printSheet);
    connect(computeButton, &QPushButton::clicked, this, &TPrinterCalibrationForm::computeOffset);
    connect(saveButton, &QPushButton::clicked, this, &TPrinterCalibrationForm::saveOffset);
    connect(clearButton, &QPushButton::clicked, this, &TPrinterCalibrationForm::clearOffset);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    showSavedOffset();
    relabelCrosshairs();
}

QString TPrinterCalibrationForm::printer() const {
    return printerSelector->currentText();
}

QList<QPoint> TPrinterCalibrationForm::crosshairs() const {
    return PrinterCalibration::crosshairs(paperWidthBox->value() * 10, paperLengthBox->value() * 10);
}

void TPrinterCalibrationForm::showSavedOffset() {
    const Settings::PrinterOffset saved = Settings::printerOffset(printer());
    savedOffsetLabel->setText(saved == Settings::PrinterOffset{} ? QStringLiteral("未校准")
                                                                 : PrinterCalibration::describe(saved));
}

void TPrinterCalibrationForm::relabelCrosshairs() {
    const QList<QPoint> marks = crosshairs();
    for (int i = 0; i < m_crosshairLabels.size() && i < marks.size(); ++i)
        m_crosshairLabels[i]->setText(
            QStringLiteral("十字 %1：(%2, %3)").arg(i + 1).arg(mm(marks[i].x()), mm(marks[i].y())));
    m_computed.reset();
    computedOffsetLabel->clear();
    saveButton->setEnabled(false);
}

void TPrinterCalibrationForm::printSheet() {
    PrintJobSetup setup;
    setup.printerName = printer();
    setup.title = QStringLiteral("打印机校准页：") + printer();
    setup.paperWidthTenths = paperWidthBox->value() * 10;
    setup.paperLengthTenths = paperLengthBox->value() * 10;
    QString error;
    std::unique_ptr<PrintTarget> target = Printing::instance().begin(setup, &error);
    if (!target) {
        Prompter::instance().error(this, QStringLiteral("无法打印校准页：") + error);
        return;
    }
    {
        QPainter painter;
        if (!painter.begin(target->device())) {
            Prompter::instance().error(this, QStringLiteral("打印机无法开始打印，校准页未打印。"));
            return;
        }
        PrinterCalibration::paintSheet(painter, target->dpiX(), target->dpiY(), setup.paperWidthTenths,
                                       setup.paperLengthTenths, printer());
        painter.end();
    }
    if (!target->finish(&error))
        Prompter::instance().error(this, QStringLiteral("无法打印校准页：") + error);
}

void TPrinterCalibrationForm::computeOffset() {
    QList<std::optional<QPoint>> measured;
    for (int i = 0; i < measuredXEdits.size(); ++i) {
        const QString xt = measuredXEdits[i]->text().trimmed();
        const QString yt = measuredYEdits[i]->text().trimmed();
        if (xt.isEmpty() && yt.isEmpty()) {
            measured << std::nullopt;
            continue;
        }
        const std::optional<int> x = tenthsOf(xt);
        const std::optional<int> y = tenthsOf(yt);
        if (!x || !y) {
            Prompter::instance().warning(
                this, QStringLiteral("请填入十字 %1 距左边缘和距上边缘的两个位置。").arg(i + 1));
            return;
        }
        measured << QPoint(*x, *y);
    }
    QString why;
    m_computed = PrinterCalibration::offsetFrom(crosshairs(), measured, &why);
    if (!m_computed) {
        computedOffsetLabel->clear();
        saveButton->setEnabled(false);
        Prompter::instance().warning(this, why);
        return;
    }
    computedOffsetLabel->setText(
        PrinterCalibration::describe(*m_computed) +
        QStringLiteral("（%1）").arg(CalibrationMark(m_computed->x, m_computed->y).isEmpty()
                                         ? QStringLiteral("无需校准")
                                         : CalibrationMark(m_computed->x, m_computed->y)));
    saveButton->setEnabled(true);
}

void TPrinterCalibrationForm::saveOffset() {
    if (!m_computed)
        return;
    if (!Settings::setPrinterOffset(printer(), *m_computed)) {
        Prompter::instance().error(this, QStringLiteral("无法保存打印机校准：设置文件不能写入。"));
        return;
    }
    saveButton->setEnabled(false);
    showSavedOffset();
}

void TPrinterCalibrationForm::clearOffset() {
    if (Settings::printerOffset(printer()) == Settings::PrinterOffset{})
        return;
    if (!Prompter::instance().question(this, QStringLiteral("清除打印机“%1”的校准吗？").arg(printer())))
        return;
    if (!Settings::setPrinterOffset(printer(), {}))
        Prompter::instance().error(this, QStringLiteral("无法保存打印机校准：设置文件不能写入。"));
    showSavedOffset();
}
