#include "templates/ui/TAdjPositionForm.h"

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
    : TemplateEditWindow(parent), m_store(store), m_bill(bill), m_tpl(std::make_unique<BillTemplate>()) {
    setWindowTitle(QStringLiteral("位置调整"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);

    auto* top = new QHBoxLayout;
    pageGrid = new ParameterGrid(this, 2);
    pageGrid->setObjectName(QStringLiteral("pageGrid"));
    pageGrid->setLabels(
        QString::fromUtf8("票据左空|票据顶空|打印方向|币种选择|打印背景").split(QLatin1Char('|')));
    pageGrid->setFixedWidth(305);
    top->addWidget(pageGrid);
    itemNameList = new QListWidget(this);
    itemNameList->setObjectName(QStringLiteral("itemNameList"));
    itemNameList->setFixedWidth(233);
    top->addWidget(itemNameList);
    itemGrid = new ParameterGrid(this, 2);
    itemGrid->setObjectName(QStringLiteral("itemGrid"));
    itemGrid->setLabels(itemParameterColumns().mid(0, 9));
    itemGrid->setFixedWidth(309);
    top->addWidget(itemGrid);
    outer->addLayout(top);
    // Every row of both grids shows without scrolling; the window grows with them.
    const int gridHeight = std::max({190, pageGrid->fullHeight(), itemGrid->fullHeight()});
    for (QWidget* w : {static_cast<QWidget*>(pageGrid), static_cast<QWidget*>(itemNameList),
                       static_cast<QWidget*>(itemGrid)})
        w->setFixedHeight(gridHeight);
    setFixedSize(858, 566 + gridHeight - 190);

    adoptGridEditors(pageGrid, itemGrid);

    auto* bar = new QWidget(this);
    bar->setAutoFillBackground(true);
    QPalette red = bar->palette();
    red.setColor(QPalette::Window, Qt::red);
    bar->setPalette(red);
    bar->setFixedHeight(4);
    outer->addWidget(bar);

    pictureScroller = new QScrollArea(this);
    pictureScroller->setObjectName(QStringLiteral("pictureScroller"));
    canvas = new TemplateCanvas(*m_tpl, TemplateCanvas::Options{false, true});
    pictureScroller->setWidget(canvas);
    outer->addWidget(pictureScroller, 1);

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
    testPrintButton = button("testPrintButton", QStringLiteral("测试打印"));
    saveButton = button("saveButton", QStringLiteral("保  存"));
    exitButton = button("exitButton", QStringLiteral("退  出"));
    outer->addLayout(buttons);

    connect(testPrintButton, &QPushButton::clicked, this, &TAdjPositionForm::testPrint);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(exitButton, &QPushButton::clicked, this, &TAdjPositionForm::leave);
    connect(itemNameList, &QListWidget::currentRowChanged, this, &TAdjPositionForm::selectListedItem);
    connect(pageGrid, &ParameterGrid::valueDoubleClicked, this, &TAdjPositionForm::editPageRow);
    connect(pageGrid, &ParameterGrid::textCommitted, this,
            [this](int row, const QString&, const QString& text) { pageCommitted(row, text); });
    connect(pageGrid, &ParameterGrid::entryChosen, this,
            [this](int row, int, const QString& text) { pageCommitted(row, text); });
    connect(itemGrid, &ParameterGrid::valueDoubleClicked, this, &TAdjPositionForm::editItemRow);
    connect(itemGrid, &ParameterGrid::textCommitted, this,
            [this](int row, const QString&, const QString& text) { itemCommitted(row, text); });
    connect(itemGrid, &ParameterGrid::entryChosen, this, [this](int row, int index, const QString&) {
        if (row != AlignmentRow || m_selected < 0 || index < 0)
            return;
        // The frame stays; only the text moves inside it.
        m_tpl->items[m_selected].alignment = static_cast<quint8>(index);
        setModified();
        selectItem(m_selected);
    });
    connect(canvas, &TemplateCanvas::pressed, this, [this] {
        pageGrid->hideEditors();
        itemGrid->hideEditors();
    });
    connect(canvas, &TemplateCanvas::itemPicked, this, [this](int index) {
        m_selected = index;
        const QSignalBlocker block(itemNameList);
        itemNameList->setCurrentRow(index);
        fillItemGrid();
    });
    connect(canvas, &TemplateCanvas::itemMoved, this, [this] {
        setModified();
        fillItemGrid();
    });
}

TAdjPositionForm::~TAdjPositionForm() = default;

void TAdjPositionForm::loadWorkingTemplate() {
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    const QSqlDatabase def = Database::get(Db::Define);
    m_page = readPageRow(def, BillStore::workingPageTable());
    pageGrid->setValue(LeftMarginRow, QString::number(m_page.leftMargin));
    pageGrid->setValue(TopMarginRow, QString::number(m_page.topMargin));
    pageGrid->setValue(DirectionRow, PageParameters::directionTexts().value(m_page.direction == 0 ? 0 : 1));
    pageGrid->setValue(CurrencyRow, check(m_page.currencyChoice));
    pageGrid->setValue(BackgroundRow, check(m_page.printBackground));

    LoadTemplateItems(def, BillStore::workingItemTable(), *m_tpl);
    {
        const QSignalBlocker block(itemNameList);
        itemNameList->clear();
        itemNameList->addItems(m_tpl->names());
    }
    // The picture is found by its file name in this store's picture folder.
    canvas->setBackground(buildBackground(BillStore::resolvePicturePath(m_page.pictureFormat), m_page.width,
                                          m_page.length, canvas->dpi()));
    selectItem(m_tpl->count() > 0 ? 0 : -1);
    setModified(false);
    if (!canvas->drawingError().isEmpty())
        Prompter::instance().error(this, canvas->drawingError());
}

void TAdjPositionForm::redraw() {
    canvas->redraw();
}

void TAdjPositionForm::selectItem(int index) {
    m_selected = index >= 0 && index < m_tpl->count() ? index : -1;
    {
        const QSignalBlocker block(itemNameList);
        itemNameList->setCurrentRow(m_selected);
    }
    redraw();
    canvas->selectItem(m_selected);
    fillItemGrid();
}

void TAdjPositionForm::selectListedItem(int row) {
    if (row < 0 || row >= m_tpl->count() || row == m_selected)
        return;
    itemGrid->hideEditors();
    selectItem(row);
}

void TAdjPositionForm::fillItemGrid() {
    if (m_selected < 0) {
        itemGrid->clearValues();
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
        itemGrid->setValue(r, values.at(r));
}

void TAdjPositionForm::editPageRow(int row) {
    switch (row) {
    case LeftMarginRow:
    case TopMarginRow:
        pageGrid->openTextEditor(row, ParameterGrid::Keys::SignedDigits);
        break;
    case DirectionRow: {
        const QStringList entries = PageParameters::directionTexts();
        pageGrid->openComboEditor(row, entries, std::max<int>(0, entries.indexOf(pageGrid->value(row))),
                                  false);
        break;
    }
    case CurrencyRow:
    case BackgroundRow:
        pageGrid->setValue(row, pageGrid->value(row).isEmpty() ? PageParameters::checkText() : QString());
        setModified();
        break;
    default:
        break;
    }
}

void TAdjPositionForm::pageCommitted(int row, const QString& text) {
    pageGrid->setValue(row, text);
    setModified();
}

void TAdjPositionForm::editItemRow(int row) {
    if (m_selected < 0)
        return;
    TemplateItem& it = m_tpl->items[m_selected];
    switch (row) {
    case LeftRow:
    case TopRow:
    case WidthRow:
    case HeightRow:
    case SpacingRow:
        itemGrid->openTextEditor(row, ParameterGrid::Keys::Digits4);
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
        itemGrid->openComboEditor(row, TextAlignment::texts(), it.alignment < 9 ? it.alignment : 0, false);
        return;
    case PrintedRow:
        it.printed = !it.printed;
        break;
    default:
        return;
    }
    setModified();
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
    if (!CanvasEditing::setFieldWithin(m_tpl->items[m_selected], field, value, canvas->imageSize(),
                                       canvas->dpi())) {
        fillItemGrid();
        return;
    }
    setModified();
    selectItem(m_selected);
}

bool TAdjPositionForm::margin(int row, int* value) {
    bool ok = false;
    *value = pageGrid->value(row).trimmed().toInt(&ok);
    if (!ok) {
        Prompter::instance().warning(this,
                                     pageGrid->label(row) + QStringLiteral("必须是整数，请重新输入 ！"));
        return false;
    }
    return true;
}

void TAdjPositionForm::testPrint() {
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    CheckPrintDefine def = CheckPrintDefine::fromPage(m_page);
    // Unsaved margins and direction count; the background flag is the stored one.
    if (!margin(LeftMarginRow, &def.leftMargin) || !margin(TopMarginRow, &def.topMargin))
        return;
    def.landscape = PageParameters::directionTexts().indexOf(pageGrid->value(DirectionRow)) != 0;
    for (int i = 0; i < m_tpl->count(); ++i)
        def.items << m_tpl->items[i];
    runTestPrint(this, def, canvas->background(), canvas->dpi());
}

bool TAdjPositionForm::save() {
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    if (!modified())
        return true;
    PageParameters page = m_page;
    if (!margin(LeftMarginRow, &page.leftMargin) || !margin(TopMarginRow, &page.topMargin))
        return false;
    page.direction =
        std::max<int>(0, PageParameters::directionTexts().indexOf(pageGrid->value(DirectionRow)));
    page.currencyChoice = !pageGrid->value(CurrencyRow).isEmpty();
    page.printBackground = !pageGrid->value(BackgroundRow).isEmpty();
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
    setModified(false);
    return true;
}

void TAdjPositionForm::leave() {
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    reject();
}
