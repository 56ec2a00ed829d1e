#include "templates/ui/TAdjPositionForm.h"

#include "platform/ui/MinimizeFollow.h"
#include "platform/ui/Prompter.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "templates/Background.h"
#include "templates/CanvasEditing.h"
#include "templates/RenderEngine.h"
#include "templates/TemplateStore.h"
#include "templates/TextAlignment.h"
#include "templates/ui/ParameterGrid.h"
#include "templates/ui/TemplateCanvas.h"
#include "templates/ui/TestPrintCommand.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

enum PageRow { LeftMarginRow, TopMarginRow, DirectionRow, CurrencyRow, BackgroundRow };
enum ItemRow { NameRow, LeftRow, TopRow, WidthRow, HeightRow, FontRow, SpacingRow, AlignmentRow, PrintedRow };

QString check(bool set) {
    return set ? PageParameters::checkText() : QString();
}

} // namespace

TAdjPositionForm::TAdjPositionForm(BillStore& store, const MainItemFlag& bill, QWidget* parent)
    : QDialog(parent), m_store(store), m_bill(bill), m_tpl(std::make_unique<BillTemplate>()) {
    setWindowTitle(QStringLiteral("位置调整"));
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);

    auto* top = new QHBoxLayout;
    StringGrid = new ParameterGrid(this, 2);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    StringGrid->setLabels(
        QString::fromUtf8("票据左空|票据顶空|打印方向|币种选择|打印背景").split(QLatin1Char('|')));
    StringGrid->setFixedWidth(305);
    top->addWidget(StringGrid);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setFixedWidth(233);
    top->addWidget(ListBox1);
    StringGrid1 = new ParameterGrid(this, 2);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setLabels(itemParameterColumns().mid(0, 9));
    StringGrid1->setFixedWidth(309);
    top->addWidget(StringGrid1);
    outer->addLayout(top);
    // Every row of both grids shows without scrolling; the window grows with them.
    const int gridHeight = std::max({190, StringGrid->fullHeight(), StringGrid1->fullHeight()});
    for (QWidget* w : {static_cast<QWidget*>(StringGrid), static_cast<QWidget*>(ListBox1),
                       static_cast<QWidget*>(StringGrid1)})
        w->setFixedHeight(gridHeight);
    setFixedSize(858, 566 + gridHeight - 190);

    Edit1 = StringGrid->edit();
    ComboBox1 = StringGrid->combo();
    Edit2 = StringGrid1->edit();
    ComboBox2 = StringGrid1->combo();
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    Edit2->setObjectName(QStringLiteral("Edit2"));
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));

    auto* bar = new QWidget(this);
    bar->setAutoFillBackground(true);
    QPalette red = bar->palette();
    red.setColor(QPalette::Window, Qt::red);
    bar->setPalette(red);
    bar->setFixedHeight(4);
    outer->addWidget(bar);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    PrnImage = new TemplateCanvas(*m_tpl, TemplateCanvas::Options{false, true});
    ScrollBox1->setWidget(PrnImage);
    outer->addWidget(ScrollBox1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const auto button = [this, buttons](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
        return b;
    };
    SpeedButton5 = button("SpeedButton5", QStringLiteral("测试打印"));
    SpeedButton4 = button("SpeedButton4", QStringLiteral("保  存"));
    SpeedButton3 = button("SpeedButton3", QStringLiteral("退  出"));
    outer->addLayout(buttons);

    connect(SpeedButton5, &QPushButton::clicked, this, &TAdjPositionForm::SpeedButton5Click);
    connect(SpeedButton4, &QPushButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(SpeedButton3, &QPushButton::clicked, this, &TAdjPositionForm::SpeedButton3Click);
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TAdjPositionForm::ListBox1Click);
    connect(StringGrid, &ParameterGrid::valueDoubleClicked, this, &TAdjPositionForm::StringGridDblClick);
    connect(StringGrid, &ParameterGrid::textCommitted, this,
            [this](int row, const QString&, const QString& text) { pageCommitted(row, text); });
    connect(StringGrid, &ParameterGrid::entryChosen, this,
            [this](int row, int, const QString& text) { pageCommitted(row, text); });
    connect(StringGrid1, &ParameterGrid::valueDoubleClicked, this, &TAdjPositionForm::StringGrid1DblClick);
    connect(StringGrid1, &ParameterGrid::textCommitted, this,
            [this](int row, const QString&, const QString& text) { itemCommitted(row, text); });
    connect(StringGrid1, &ParameterGrid::entryChosen, this, [this](int row, int index, const QString&) {
        if (row != AlignmentRow || m_selected < 0 || index < 0)
            return;
        // The frame stays; only the text moves inside it.
        m_tpl->items[m_selected].alignment = static_cast<quint8>(index);
        m_modified = true;
        selectItem(m_selected);
    });
    connect(PrnImage, &TemplateCanvas::pressed, this, [this] {
        StringGrid->hideEditors();
        StringGrid1->hideEditors();
    });
    connect(PrnImage, &TemplateCanvas::itemPicked, this, [this](int index) {
        m_selected = index;
        const QSignalBlocker block(ListBox1);
        ListBox1->setCurrentRow(index);
        fillItemGrid();
    });
    connect(PrnImage, &TemplateCanvas::itemMoved, this, [this] {
        m_modified = true;
        fillItemGrid();
    });
}

TAdjPositionForm::~TAdjPositionForm() = default;

void TAdjPositionForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring the minimised window shows it again; only opening it reloads the working template.
    if (!event->spontaneous())
        guarded(this, [this] { FormShow(); });
}

void TAdjPositionForm::keyPressEvent(QKeyEvent* event) {
    // Esc belongs to the cell editors; the window closes only through "退  出" and its close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAdjPositionForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}

void TAdjPositionForm::FormShow() {
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    const QSqlDatabase def = Database::get(Db::Define);
    m_page = readPageRow(def, BillStore::workingPageTable());
    StringGrid->setValue(LeftMarginRow, QString::number(m_page.leftMargin));
    StringGrid->setValue(TopMarginRow, QString::number(m_page.topMargin));
    StringGrid->setValue(DirectionRow, PageParameters::directionTexts().value(m_page.direction == 0 ? 0 : 1));
    StringGrid->setValue(CurrencyRow, check(m_page.currencyChoice));
    StringGrid->setValue(BackgroundRow, check(m_page.printBackground));

    LoadTemplateItems(def, BillStore::workingItemTable(), *m_tpl);
    {
        const QSignalBlocker block(ListBox1);
        ListBox1->clear();
        ListBox1->addItems(m_tpl->names());
    }
    // The picture is found by its file name in this store's picture folder.
    PrnImage->setBackground(buildBackground(BillStore::resolvePicturePath(m_page.pictureFormat), m_page.width,
                                            m_page.length, PrnImage->dpi()));
    selectItem(m_tpl->count() > 0 ? 0 : -1);
    m_modified = false;
    if (!PrnImage->drawingError().isEmpty())
        Prompter::instance().error(this, PrnImage->drawingError());
}

void TAdjPositionForm::redraw() {
    PrnImage->redraw();
}

void TAdjPositionForm::selectItem(int index) {
    m_selected = index >= 0 && index < m_tpl->count() ? index : -1;
    {
        const QSignalBlocker block(ListBox1);
        ListBox1->setCurrentRow(m_selected);
    }
    redraw();
    PrnImage->selectItem(m_selected);
    fillItemGrid();
}

void TAdjPositionForm::ListBox1Click(int row) {
    if (row < 0 || row >= m_tpl->count() || row == m_selected)
        return;
    StringGrid1->hideEditors();
    selectItem(row);
}

void TAdjPositionForm::fillItemGrid() {
    if (m_selected < 0) {
        StringGrid1->clearValues();
        return;
    }
    const TemplateItem& it = m_tpl->items[m_selected];
    const QStringList values{it.name,
                             QString::number(it.left),
                             QString::number(it.top),
                             QString::number(it.width),
                             QString::number(it.height),
                             it.font,
                             QString::number(it.spacing),
                             TextAlignment::text(it.alignment),
                             check(it.printed)};
    for (int r = 0; r < values.size(); ++r)
        StringGrid1->setValue(r, values.at(r));
}

void TAdjPositionForm::StringGridDblClick(int row) {
    switch (row) {
    case LeftMarginRow:
    case TopMarginRow:
        StringGrid->openTextEditor(row, ParameterGrid::Keys::SignedDigits);
        break;
    case DirectionRow: {
        const QStringList entries = PageParameters::directionTexts();
        StringGrid->openComboEditor(row, entries, std::max<int>(0, entries.indexOf(StringGrid->value(row))),
                                    false);
        break;
    }
    case CurrencyRow:
    case BackgroundRow:
        StringGrid->setValue(row, StringGrid->value(row).isEmpty() ? PageParameters::checkText() : QString());
        m_modified = true;
        break;
    default:
        break;
    }
}

void TAdjPositionForm::pageCommitted(int row, const QString& text) {
    StringGrid->setValue(row, text);
    m_modified = true;
}

void TAdjPositionForm::StringGrid1DblClick(int row) {
    if (m_selected < 0)
        return;
    TemplateItem& it = m_tpl->items[m_selected];
    switch (row) {
    case LeftRow:
    case TopRow:
    case WidthRow:
    case HeightRow:
    case SpacingRow:
        StringGrid1->openTextEditor(row, ParameterGrid::Keys::Digits4);
        return;
    case FontRow: {
        QFont initial;
        if (!guarded(this, [&] { initial = FontOfText(it.font); }))
            return;
        const std::optional<QFont> font = Prompter::instance().pickFont(this, initial);
        if (!font)
            return;
        const QString text = FontTextAfterPick(it.font, *font);
        if (text == it.font)
            return;
        it.font = text;
        break;
    }
    case AlignmentRow:
        StringGrid1->openComboEditor(row, TextAlignment::texts(), it.alignment < 9 ? it.alignment : 0, false);
        return;
    case PrintedRow:
        it.printed = !it.printed;
        break;
    default:
        return;
    }
    m_modified = true;
    selectItem(m_selected);
}

void TAdjPositionForm::itemCommitted(int row, const QString& text) {
    if (m_selected < 0)
        return;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (text.isEmpty() || !ok) {
        fillItemGrid();
        return;
    }
    using CanvasEditing::Field;
    const Field field = row == LeftRow     ? Field::Left
                        : row == TopRow    ? Field::Top
                        : row == WidthRow  ? Field::Width
                        : row == HeightRow ? Field::Height
                                           : Field::Spacing;
    // A value that would put the item beyond the picture is undone.
    if (!CanvasEditing::setFieldWithin(m_tpl->items[m_selected], field, value, PrnImage->imageSize(),
                                       PrnImage->dpi())) {
        fillItemGrid();
        return;
    }
    m_modified = true;
    selectItem(m_selected);
}

bool TAdjPositionForm::margin(int row, int* value) {
    bool ok = false;
    *value = StringGrid->value(row).trimmed().toInt(&ok);
    if (!ok) {
        Prompter::instance().warning(this,
                                     StringGrid->label(row) + QStringLiteral("必须是整数，请重新输入 ！"));
        return false;
    }
    return true;
}

void TAdjPositionForm::SpeedButton5Click() {
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    CheckPrintDefine def = CheckPrintDefine::fromPage(m_page);
    // Unsaved margins and direction count; the background flag is the stored one.
    if (!margin(LeftMarginRow, &def.leftMargin) || !margin(TopMarginRow, &def.topMargin))
        return;
    def.landscape = PageParameters::directionTexts().indexOf(StringGrid->value(DirectionRow)) != 0;
    for (int i = 0; i < m_tpl->count(); ++i)
        def.items << m_tpl->items[i];
    runTestPrint(this, def, PrnImage->background(), PrnImage->dpi());
}

bool TAdjPositionForm::SpeedButton4Click() {
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    if (!m_modified)
        return true;
    PageParameters page = m_page;
    if (!margin(LeftMarginRow, &page.leftMargin) || !margin(TopMarginRow, &page.topMargin))
        return false;
    page.direction =
        std::max<int>(0, PageParameters::directionTexts().indexOf(StringGrid->value(DirectionRow)));
    page.currencyChoice = !StringGrid->value(CurrencyRow).isEmpty();
    page.printBackground = !StringGrid->value(BackgroundRow).isEmpty();
    const bool saved = guarded(this, [&] {
        const QSqlDatabase def = Database::get(Db::Define);
        {
            Sql::Transaction tx(def);
            writePageRow(def, BillStore::workingPageTable(), page);
            for (int i = 0; i < m_tpl->count(); ++i)
                if (m_tpl->items[i].key != -1)
                    WriteItemRow(def, BillStore::workingItemTable(), m_tpl->items[i], true);
            tx.commit();
        }
        // One transaction in the bill store: the bill holds either all new values or its old ones.
        m_store.storeWorkingTemplate(m_bill);
    });
    if (!saved)
        return false;
    m_page = page;
    m_modified = false;
    return true;
}

void TAdjPositionForm::SpeedButton3Click() {
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    reject();
}
