#include "platform/ui/FontChooser.h"

#include "platform/Fonts.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const int kSizes[] = {5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
enum Style { Regular, Italic, Bold, BoldItalic };
} // namespace

FontChooser::FontChooser(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("字体"));
    setModal(true);

    familyEdit = new QLineEdit(this);
    familyEdit->setObjectName(QStringLiteral("familyEdit"));
    familyEdit->setReadOnly(true);
    familyList = new QListWidget(this);
    familyList->setObjectName(QStringLiteral("familyList"));
    QStringList families = Fonts::substitutedFaces();
    for (const QString& f : QFontDatabase::families())
        if (!families.contains(f) && !QFontDatabase::isPrivateFamily(f))
            families << f;
    familyList->addItems(families);

    styleList = new QListWidget(this);
    styleList->setObjectName(QStringLiteral("styleList"));
    styleList->addItems(
        {QStringLiteral("常规"), QStringLiteral("斜体"), QStringLiteral("粗体"), QStringLiteral("粗斜体")});

    sizeEdit = new QLineEdit(this);
    sizeEdit->setObjectName(QStringLiteral("sizeEdit"));
    sizeEdit->setValidator(new QIntValidator(1, 999, sizeEdit));
    sizeList = new QListWidget(this);
    sizeList->setObjectName(QStringLiteral("sizeList"));
    for (int s : kSizes)
        sizeList->addItem(QString::number(s));

    auto* effects = new QGroupBox(QStringLiteral("效果"), this);
    strikeOutBox = new QCheckBox(QStringLiteral("删除线"), effects);
    strikeOutBox->setObjectName(QStringLiteral("strikeOutBox"));
    underlineBox = new QCheckBox(QStringLiteral("下划线"), effects);
    underlineBox->setObjectName(QStringLiteral("underlineBox"));
    auto* effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(strikeOutBox);
    effectsLayout->addWidget(underlineBox);

    auto* sampleBox = new QGroupBox(QStringLiteral("示例"), this);
    sample = new QLabel(QStringLiteral("微软中文软件 AaBbYyZz 123"), sampleBox);
    sample->setObjectName(QStringLiteral("sample"));
    sample->setAlignment(Qt::AlignCenter);
    sample->setMinimumHeight(60);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample);

    okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("字体："), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("字形："), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("大小："), this), 0, 2);
    grid->addWidget(familyEdit, 1, 0);
    grid->addWidget(styleList, 1, 1, 2, 1);
    grid->addWidget(sizeEdit, 1, 2);
    grid->addWidget(familyList, 2, 0);
    grid->addWidget(sizeList, 2, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(effects);
    bottom->addWidget(sampleBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(520, 400);

    connect(familyList, &QListWidget::currentTextChanged, this, [this](const QString& family) {
        familyEdit->setText(family);
        showSample();
    });
    connect(styleList, &QListWidget::currentRowChanged, this, [this] { showSample(); });
    connect(sizeList, &QListWidget::currentTextChanged, this, [this](const QString& size) {
        if (!size.isEmpty() && sizeEdit->text() != size)
            sizeEdit->setText(size);
    });
    connect(sizeEdit, &QLineEdit::textEdited, this, [this](const QString& size) {
        const QList<QListWidgetItem*> found = sizeList->findItems(size, Qt::MatchExactly);
        const QSignalBlocker block(sizeList);
        sizeList->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    });
    connect(sizeEdit, &QLineEdit::textChanged, this, [this] {
        okButton->setEnabled(sizeEdit->hasAcceptableInput());
        showSample();
    });
    connect(strikeOutBox, &QCheckBox::toggled, this, [this] { showSample(); });
    connect(underlineBox, &QCheckBox::toggled, this, [this] { showSample(); });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(familyList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

void FontChooser::selectFamily(const QString& family) {
    QList<QListWidgetItem*> found = familyList->findItems(family, Qt::MatchExactly);
    if (found.isEmpty()) {
        // A face that is neither installed nor substituted is still the item's face.
        familyList->insertItem(0, family);
        found = familyList->findItems(family, Qt::MatchExactly);
    }
    familyList->setCurrentItem(found.first());
    familyList->scrollToItem(found.first(), QAbstractItemView::PositionAtCenter);
    familyEdit->setText(family);
}

void FontChooser::selectSize(int size) {
    sizeEdit->setText(QString::number(size));
    const QList<QListWidgetItem*> found = sizeList->findItems(sizeEdit->text(), Qt::MatchExactly);
    const QSignalBlocker block(sizeList);
    sizeList->setCurrentItem(found.isEmpty() ? nullptr : found.first());
}

void FontChooser::setChosenFont(const QFont& font) {
    selectFamily(font.family());
    styleList->setCurrentRow(font.bold() && font.italic() ? BoldItalic
                             : font.bold()                ? Bold
                             : font.italic()              ? Italic
                                                          : Regular);
    selectSize(qRound(font.pointSizeF()));
    strikeOutBox->setChecked(font.strikeOut());
    underlineBox->setChecked(font.underline());
    showSample();
}

QFont FontChooser::chosenFont() const {
    QFont font(familyEdit->text());
    font.setPointSize(std::max(1, sizeEdit->text().toInt()));
    const int style = styleList->currentRow();
    font.setBold(style == Bold || style == BoldItalic);
    font.setItalic(style == Italic || style == BoldItalic);
    font.setStrikeOut(strikeOutBox->isChecked());
    font.setUnderline(underlineBox->isChecked());
    return font;
}

void FontChooser::showSample() {
    if (!sample || familyEdit->text().isEmpty() || !sizeEdit->hasAcceptableInput())
        return;
    QFont font = chosenFont();
    // Large sizes are shown at a size that fits the sample box.
    font.setPointSize(std::min(font.pointSize(), 28));
    sample->setFont(font);
}
