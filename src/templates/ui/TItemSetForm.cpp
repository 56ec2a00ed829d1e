#include "templates/ui/TItemSetForm.h"

#include "store/ColumnNames.h"

#include "app/ui/TStringInputForm.h"
#include "exchange/BillDefineFile.h"
#include "platform/AppPaths.h"
#include "platform/ui/MinimizeFollow.h"
#include "platform/ui/Prompter.h"
#include "store/BillStore.h"
#include "store/ColumnNames.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "templates/Background.h"
#include "templates/CanvasEditing.h"
#include "templates/PictureSize.h"
#include "templates/RenderEngine.h"
#include "templates/TemplateStore.h"
#include "templates/TextAlignment.h"
#include "templates/ui/PageGridEditors.h"
#include "templates/ui/ParameterGrid.h"
#include "templates/ui/TAttrChangForm.h"
#include "templates/ui/TSetCalWayForm.h"
#include "templates/ui/TYearConnectForm.h"
#include "templates/ui/TemplateCanvas.h"
#include "templates/ui/TestPrintCommand.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

using PageRow = PageParameters::GridRow;

namespace {

enum ItemRow {
    NameRow,
    LeftRow,
    TopRow,
    WidthRow,
    HeightRow,
    FontRow,
    SpacingRow,
    AlignmentRow,
    PrintedRow,
    TypeRow,
    ShowInputRow,
    CalcRow,
    RelationRow,
    InterlockRow,
    ShowTitleRow,
    SuffixRow,
    QueryRow,
    StatisticsRow,
};

QString check(bool set) {
    return set ? PageParameters::checkText() : QString();
}

QWidget* redBar(QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::red);
    w->setPalette(pal);
    w->setFixedHeight(4);
    return w;
}

// ceil(p * 254 / dpi) for a measured length in pixels.
int tenthsUp(int p, int dpi) {
    return static_cast<int>((qint64(p) * 254 + dpi - 1) / dpi);
}

const QString kFull = QStringLiteral("子项数目已达到500个，不能再添加子项 ！");

} // namespace

TItemSetForm::TItemSetForm(BillStore& store, QWidget* parent)
    : QDialog(parent), m_store(store), m_tpl(std::make_unique<BillTemplate>()) {
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);

    auto* top = new QHBoxLayout;
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* tab1 = new QWidget(PageControl1);
    tab1->setObjectName(QStringLiteral("TabSheet1"));
    auto* tab1Layout = new QVBoxLayout(tab1);
    StringGrid = new ParameterGrid(tab1, 6);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    StringGrid->setLabels(PageParameters::gridLabels());
    tab1Layout->addWidget(StringGrid);
    PageControl1->addTab(tab1, QStringLiteral("页面参数"));

    auto* tab2 = new QWidget(PageControl1);
    tab2->setObjectName(QStringLiteral("TabSheet2"));
    auto* tab2Layout = new QHBoxLayout(tab2);
    auto* names = new QVBoxLayout;
    names->addWidget(new QLabel(QStringLiteral("子项名称"), tab2));
    ListBox1 = new QListWidget(tab2);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    names->addWidget(ListBox1);
    tab2Layout->addLayout(names, 2);
    auto* params = new QVBoxLayout;
    params->addWidget(new QLabel(QStringLiteral("子项对应参数"), tab2));
    StringGrid1 = new ParameterGrid(tab2, 6);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setLabels(itemParameterColumns());
    params->addWidget(StringGrid1);
    tab2Layout->addLayout(params, 3);
    PageControl1->addTab(tab2, QStringLiteral("子项参数"));
    // Both grids show every row without scrolling; the picture takes the height that is left.
    StringGrid->setMinimumHeight(StringGrid->fullHeight());
    StringGrid1->setMinimumHeight(StringGrid1->fullHeight());
    tab2Layout->setContentsMargins(4, 4, 4, 4);
    tab1Layout->setContentsMargins(4, 4, 4, 4);
    top->addWidget(PageControl1, 1);

    Edit1 = StringGrid->edit();
    ComboBox1 = StringGrid->combo();
    Edit2 = StringGrid1->edit();
    ComboBox2 = StringGrid1->combo();
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    Edit2->setObjectName(QStringLiteral("Edit2"));
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));

    auto* buttons = new QVBoxLayout;
    const auto button = [this, buttons](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("添加子项"));
    SpeedButton2 = button("SpeedButton2", QStringLiteral("删除子项"));
    SpeedButton5 = button("SpeedButton5", QStringLiteral("测试打印"));
    SpeedButton4 = button("SpeedButton4", QStringLiteral("保  存"));
    SpeedButton6 = button("SpeedButton6", QStringLiteral("另存为..."));
    SpeedButton3 = button("SpeedButton3", QStringLiteral("退  出"));
    buttons->addStretch();
    top->addLayout(buttons);
    outer->addLayout(top);
    outer->addWidget(redBar(this));

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    PrnImage = new TemplateCanvas(*m_tpl, TemplateCanvas::Options{true, false});
    ScrollBox1->setWidget(PrnImage);
    outer->addWidget(ScrollBox1, 1);
    ScrollBox1->setMinimumHeight(180);
    setFixedSize(843, std::max(619, outer->minimumSize().height()));

    connect(SpeedButton1, &QPushButton::clicked, this, &TItemSetForm::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TItemSetForm::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TItemSetForm::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(SpeedButton5, &QPushButton::clicked, this, &TItemSetForm::SpeedButton5Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &TItemSetForm::SpeedButton6Click);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling)
            ListBox1Click(row);
    });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
    connect(StringGrid, &ParameterGrid::valueDoubleClicked, this, &TItemSetForm::StringGridDblClick);
    connect(StringGrid, &ParameterGrid::textCommitted, this, &TItemSetForm::pageCommitted);
    connect(StringGrid, &ParameterGrid::entryChosen, this, [this](int row, int, const QString& text) {
        pageCommitted(row, StringGrid->valueBeforeEdit(), text);
    });
    connect(StringGrid1, &ParameterGrid::valueDoubleClicked, this, &TItemSetForm::StringGrid1DblClick);
    connect(StringGrid1, &ParameterGrid::textCommitted, this, &TItemSetForm::itemCommitted);
    connect(StringGrid1, &ParameterGrid::entryChosen, this, &TItemSetForm::itemChosen);
    connect(PrnImage, &TemplateCanvas::pressed, this, [this] {
        StringGrid->hideEditors();
        StringGrid1->hideEditors();
    });
    connect(PrnImage, &TemplateCanvas::itemPicked, this, [this](int index) {
        m_selected = index;
        m_filling = true;
        ListBox1->setCurrentRow(index);
        m_filling = false;
        fillItemGrid();
    });
    connect(PrnImage, &TemplateCanvas::itemMoved, this, [this] {
        m_modified = true;
        fillItemGrid();
    });
    connect(PrnImage, &TemplateCanvas::bandReleased, this, &TItemSetForm::applyGroup);

    QFont font(QStringLiteral("宋体"));
    font.setPointSize(9);
    m_lastFont = font;
}

TItemSetForm::~TItemSetForm() = default;

void TItemSetForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring the minimised window shows it again; only opening it reloads the working template.
    if (!event->spontaneous())
        guarded(this, [this] { FormShow(); });
}

void TItemSetForm::keyPressEvent(QKeyEvent* event) {
    // Esc belongs to the cell editors; the window closes only through "退  出" and its close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TItemSetForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    followMinimizedState(this, event);
}

void TItemSetForm::FormShow() {
    setWindowTitle(QStringLiteral("票据设置--") + m_path);
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    m_storedPicture = false;
    m_store.reloadTypeNames();
    const QSqlDatabase def = Database::get(Db::Define);
    m_columns = ItemRelations::ReferenceColumns::fromDefineDatabase();
    m_page = readPageRow(def, BillStore::workingPageTable());
    m_page.typeIndex = resolveTypeIndex(m_store, m_page);
    const QStringList texts = m_page.gridTexts(m_store.typeNames());
    for (int r = 0; r < texts.size(); ++r)
        StringGrid->setValue(r, texts.at(r));
    if (m_page.pictureFile.isEmpty() && !m_page.pictureFormat.isEmpty())
        m_storedPicture = true;

    LoadTemplateItems(def, BillStore::workingItemTable(), *m_tpl);
    fillNameList();
    m_selected = m_tpl->count() > 0 ? 0 : -1;
    rebuildBackground();
    selectItem(m_selected);
    m_modified = false;
    if (!PrnImage->drawingError().isEmpty())
        Prompter::instance().error(this, PrnImage->drawingError());
}

// --- the name list and the picture ---

void TItemSetForm::fillNameList() {
    m_filling = true;
    ListBox1->clear();
    ListBox1->addItems(m_tpl->names());
    m_filling = false;
}

void TItemSetForm::selectItem(int index) {
    m_selected = index >= 0 && index < m_tpl->count() ? index : -1;
    m_filling = true;
    ListBox1->setCurrentRow(m_selected);
    m_filling = false;
    redraw();
    PrnImage->selectItem(m_selected);
    fillItemGrid();
}

void TItemSetForm::ListBox1Click(int row) {
    if (row < 0 || row >= m_tpl->count())
        return;
    StringGrid1->hideEditors();
    m_selected = row;
    PrnImage->selectItem(row);
    fillItemGrid();
}

QString TItemSetForm::picturePath() const {
    const QString chosen = StringGrid->value(PageRow::PictureRow);
    if (!chosen.isEmpty())
        return chosen;
    if (QFileInfo(m_page.pictureFormat).isFile())
        return m_page.pictureFormat;
    return BillStore::resolvePicturePath(m_page.pictureFormat);
}

int TItemSetForm::pageNumber(int row) const {
    return StringGrid->value(row).trimmed().toInt();
}

void TItemSetForm::rebuildBackground() {
    PrnImage->setBackground(buildBackground(picturePath(), pageNumber(PageRow::WidthRow),
                                            pageNumber(PageRow::LengthRow), PrnImage->dpi()));
    redraw();
}

void TItemSetForm::redraw() {
    PrnImage->redraw();
}

void TItemSetForm::fillItemGrid() {
    if (m_selected < 0 || m_selected >= m_tpl->count()) {
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
                             check(it.printed),
                             ItemTypes::name(ItemTypes::index(it.type)),
                             check(it.showInput),
                             it.calcMethod,
                             it.relation,
                             QString::number(it.interlockGroup),
                             check(it.showTitle),
                             check(it.printSuffix),
                             check(it.query),
                             check(it.statistics)};
    for (int r = 0; r < values.size(); ++r)
        StringGrid1->setValue(r, values.at(r));
}

// --- the page grid ---

void TItemSetForm::StringGridDblClick(int row) {
    if (row == PageRow::PictureRow) {
        guarded(this, [this] { choosePicture(); });
        return;
    }
    if (openPageCellEditor(StringGrid, row, m_store.typeNames()))
        m_modified = true;
}

void TItemSetForm::choosePicture() {
    FileDialogSpec spec;
    spec.title = QStringLiteral("选择票据图形文件");
    spec.filter = QStringLiteral("图形文件(*.jpg *.jpeg *.bmp)");
    spec.fileName = StringGrid->value(PageRow::PictureRow);
    const QString path = Prompter::instance().openPicture(this, spec);
    if (path.isEmpty())
        return;
    StringGrid->setValue(PageRow::PictureRow, path);
    m_storedPicture = false;
    m_modified = true;
    const PictureSize size = ReadPictureSize(path);
    if (size.known() && Prompter::instance().question(this, QStringLiteral("需要自动更新票据的尺寸吗 ？"))) {
        StringGrid->setValue(PageRow::WidthRow, QString::number(size.width));
        StringGrid->setValue(PageRow::LengthRow, QString::number(size.height));
    }
    rebuildBackground();
}

void TItemSetForm::pageCommitted(int row, const QString& before, const QString& text) {
    guarded(this, [&] {
        switch (row) {
        case PageRow::TypeRow: {
            const QString name = text.trimmed();
            if (name.isEmpty()) {
                StringGrid->setValue(row, before);
                return;
            }
            m_store.ensureType(name);
            StringGrid->setValue(row, name);
            break;
        }
        case PageRow::DirectionRow:
            if (!PageParameters::directionTexts().contains(text))
                return;
            StringGrid->setValue(row, text);
            break;
        case PageRow::WidthRow:
        case PageRow::LengthRow: {
            bool ok = false;
            const int value = text.toInt(&ok);
            if (text.isEmpty() || !ok)
                return;
            const int old = before.trimmed().toInt();
            StringGrid->setValue(row, text);
            if (value <= old)
                fitItemsToPage(*m_tpl, row == PageRow::WidthRow, value);
            rebuildBackground();
            PrnImage->selectItem(m_selected);
            fillItemGrid();
            break;
        }
        default:
            StringGrid->setValue(row, text);
            break;
        }
        m_modified = true;
    });
}

// --- the item grid ---

void TItemSetForm::StringGrid1DblClick(int row) {
    if (m_selected < 0)
        return;
    TemplateItem& it = m_tpl->items[m_selected];
    bool changed = true;
    switch (row) {
    case NameRow:
        StringGrid1->openTextEditor(row, ParameterGrid::Keys::Any);
        return;
    case LeftRow:
    case TopRow:
    case WidthRow:
    case HeightRow:
    case SpacingRow:
        StringGrid1->openTextEditor(row, ParameterGrid::Keys::Digits4);
        return;
    case FontRow: {
        // The dialog starts from this item's font alone, never from an earlier choice.
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
    case ShowInputRow:
        it.showInput = !it.showInput;
        break;
    case ShowTitleRow:
        it.showTitle = !it.showTitle;
        break;
    case QueryRow:
        it.query = !it.query;
        break;
    case SuffixRow:
        it.printSuffix = !it.printSuffix;
        break;
    case StatisticsRow:
        // Only numbers can be summed.
        it.statistics = !it.statistics && ItemTypes::isSummable(it.type);
        break;
    case TypeRow:
        StringGrid1->openComboEditor(row, ItemTypes::names(), std::min<int>(ItemTypes::index(it.type), 25),
                                     false);
        return;
    case CalcRow:
        editFormula();
        return;
    case RelationRow:
        editRelation();
        return;
    case InterlockRow: {
        QStringList groups;
        for (int g = 0; g <= 255; ++g)
            groups << QString::number(g);
        StringGrid1->openComboEditor(row, groups, it.interlockGroup, false);
        return;
    }
    default:
        changed = false;
        break;
    }
    if (!changed)
        return;
    m_modified = true;
    redraw();
    PrnImage->selectItem(m_selected);
    fillItemGrid();
}

void TItemSetForm::itemCommitted(int row, const QString&, const QString& text) {
    if (m_selected < 0)
        return;
    TemplateItem& it = m_tpl->items[m_selected];
    if (text.isEmpty()) {
        fillItemGrid();
        return;
    }
    if (row == NameRow) {
        const ColumnNames::Conflict conflict = ColumnNames::conflictOf(namesBeside(m_selected), text);
        if (conflict != ColumnNames::Conflict::None) {
            Prompter::instance().warning(this, conflict == ColumnNames::Conflict::Reserved
                                                   ? ColumnNames::reservedMessage(text)
                                                   : QStringLiteral("存在相同的子项名称 ！"));
            fillItemGrid();
            return;
        }
        const QString old = it.name;
        it.name = text;
        ForgetItemName(*m_tpl, old);
        fillNameList();
    } else {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok) {
            fillItemGrid();
            return;
        }
        using CanvasEditing::Field;
        const Field field = row == LeftRow     ? Field::Left
                            : row == TopRow    ? Field::Top
                            : row == WidthRow  ? Field::Width
                            : row == HeightRow ? Field::Height
                                               : Field::Spacing;
        // A frame that would leave the picture is not taken.
        if (!CanvasEditing::setFieldWithin(it, field, value, PrnImage->imageSize(), PrnImage->dpi())) {
            fillItemGrid();
            return;
        }
    }
    m_modified = true;
    selectItem(m_selected);
}

void TItemSetForm::itemChosen(int row, int index, const QString& text) {
    if (m_selected < 0 || index < 0)
        return;
    TemplateItem& it = m_tpl->items[m_selected];
    switch (row) {
    case AlignmentRow:
        it.alignment = static_cast<quint8>(index);
        break;
    case TypeRow:
        it.type = static_cast<ItemType>(index);
        it.relation.clear();
        it.calcMethod.clear();
        it.printSuffix = false;
        it.statistics = false;
        ForgetItemName(*m_tpl, it.name);
        break;
    case RelationRow:
        it.relation = text;
        break;
    case InterlockRow:
        it.interlockGroup = static_cast<quint8>(index);
        break;
    default:
        return;
    }
    m_modified = true;
    redraw();
    PrnImage->selectItem(m_selected);
    fillItemGrid();
}

void TItemSetForm::editFormula() {
    TemplateItem& it = m_tpl->items[m_selected];
    if (!ItemRelations::takesFormula(it))
        return;
    const QStringList entries = ItemRelations::formulaEntries(*m_tpl, m_selected);
    if (entries.isEmpty())
        return;
    TSetCalWayForm form(this);
    form.setFormula(StringGrid1->value(CalcRow), entries);
    if (form.exec() != QDialog::Accepted)
        return;
    it.calcMethod = form.formula();
    m_modified = true;
    fillItemGrid();
}

void TItemSetForm::editRelation() {
    TemplateItem& it = m_tpl->items[m_selected];
    const ItemRelations::RelationOffer offer = ItemRelations::relationOffer(*m_tpl, m_selected, m_columns);
    switch (offer.editor) {
    case ItemRelations::Editor::None:
        return;
    case ItemRelations::Editor::DropDown: {
        const QStringList entries = offer.entries + QStringList{QString()};
        StringGrid1->openComboEditor(RelationRow, entries, entries.indexOf(it.relation), false);
        return;
    }
    case ItemRelations::Editor::TextPair:
    case ItemRelations::Editor::YearPair:
        break;
    }
    const QStringList first = ItemRelations::pairFirstEntries(*m_tpl, offer.editor);
    if (first.isEmpty())
        return;
    TYearConnectForm form(this);
    if (offer.editor == ItemRelations::Editor::TextPair) {
        form.setWindowTitle(QStringLiteral("文本对应关系"));
        form.Label1->setText(QStringLiteral("对应的名称："));
        form.Label2->setText(QStringLiteral("对应的子名称："));
    } else {
        form.setWindowTitle(QStringLiteral("年与月、日关系"));
        form.Label1->setText(QStringLiteral("对应的月名称："));
        form.Label2->setText(QStringLiteral("对应的日名称："));
    }
    const ItemRelations::Editor editor = offer.editor;
    form.setLists(first, [this, editor](const QString& name) {
        return ItemRelations::pairSecondEntries(*m_tpl, editor, name, m_columns);
    });
    if (form.exec() != QDialog::Accepted)
        return;
    it.relation = form.relation();
    m_modified = true;
    fillItemGrid();
}

// --- adding, deleting, renaming, group changes ---

QStringList TItemSetForm::namesBeside(int except) const {
    QStringList names;
    for (int i = 0; i < m_tpl->count(); ++i)
        if (i != except)
            names << m_tpl->items[i].name;
    return names;
}

void TItemSetForm::SpeedButton1Click() {
    if (m_tpl->isFull()) {
        Prompter::instance().warning(this, kFull);
        return;
    }
    QString name;
    for (;;) {
        const std::optional<QString> typed = TStringInputForm::ask(
            this, QStringLiteral("添加子项名称"), QStringLiteral("输入新的子项名称："), name);
        if (!typed || typed->isEmpty())
            return;
        name = *typed;
        const ColumnNames::Conflict conflict = ColumnNames::conflictOf(namesBeside(-1), name);
        if (conflict == ColumnNames::Conflict::None)
            break;
        Prompter::instance().warning(this, conflict == ColumnNames::Conflict::Reserved
                                               ? ColumnNames::reservedMessage(name) +
                                                     QStringLiteral("\r\n请重新输入")
                                               : QStringLiteral("存在相同的子项名称！\r\n请重新输入"));
    }
    TemplateItem item = TemplateItem::newItem(name);
    if (m_selected >= 0) {
        const TemplateItem& beside = m_tpl->items[m_selected];
        item.left = beside.left + 10;
        item.top = beside.top + 10;
        item.width = beside.width;
        item.height = beside.height;
    } else {
        // As large as the name in SimSun 11 points.
        const int dpi = PrnImage->dpi();
        QImage canvas(1, 1, QImage::Format_RGB32);
        setImageDpi(canvas, dpi);
        QFont font(QStringLiteral("宋体"));
        font.setPointSize(11);
        const QFontMetricsF fm(font, &canvas);
        item.width = tenthsUp(qRound(fm.horizontalAdvance(PreviewText(item))), dpi);
        item.height = tenthsUp(qRound(fm.height()), dpi);
    }
    const int index = m_tpl->append(item);
    fillNameList();
    m_modified = true;
    selectItem(index);
}

void TItemSetForm::SpeedButton2Click() {
    if (m_selected < 0)
        return;
    const QString name = m_tpl->items[m_selected].name;
    if (!Prompter::instance().question(this,
                                       QStringLiteral("确认要删除子项目：") + name + QStringLiteral(" 吗 ?")))
        return;
    const int position = m_selected;
    RemoveItem(*m_tpl, position);
    fillNameList();
    m_modified = true;
    selectItem(std::min(position, m_tpl->count() - 1));
}

void TItemSetForm::ListBox1DblClick() {
    const int index = ListBox1->currentRow();
    if (index < 0 || index >= m_tpl->count())
        return;
    const QString old = m_tpl->items[index].name;
    QString name = old;
    for (;;) {
        const std::optional<QString> typed = TStringInputForm::ask(
            this, QStringLiteral("修改子项名称"), QStringLiteral("输入新的子项名称："), name);
        if (!typed || typed->isEmpty() || *typed == old)
            return;
        name = *typed;
        const ColumnNames::Conflict conflict = ColumnNames::conflictOf(namesBeside(index), name);
        if (conflict == ColumnNames::Conflict::None)
            break;
        Prompter::instance().warning(this, conflict == ColumnNames::Conflict::Reserved
                                               ? ColumnNames::reservedMessage(name) +
                                                     QStringLiteral("\r\n请重新输入")
                                               : QStringLiteral("存在相同的子项名称 ！\r\n请重新输入"));
    }
    m_tpl->items[index].name = name;
    ForgetItemName(*m_tpl, old);
    fillNameList();
    // A new name is a change like any other; it must not be lost on closing.
    m_modified = true;
    selectItem(index);
}

void TItemSetForm::applyGroup(const PixelRect& band) {
    TAttrChangForm form(this);
    form.setLastFont(m_lastFont);
    if (form.exec() != QDialog::Accepted)
        return;
    m_lastFont = form.lastFont();
    const CanvasEditing::GroupChange change = form.change();
    const CanvasEditing::GroupResult result = CanvasEditing::applyGroupChange(*m_tpl, band, change);
    if (change.action != CanvasEditing::GroupChange::Change) {
        fillNameList();
        m_selected = std::min(m_selected, m_tpl->count() - 1);
        m_filling = true;
        ListBox1->setCurrentRow(m_selected);
        m_filling = false;
    }
    // Group changes are changes like any other; they must not be lost on closing.
    m_modified = true;
    redraw();
    fillItemGrid();
    if (result.notCopied > 0)
        Prompter::instance().warning(
            this, QStringLiteral("子项数目已达到500个，有%1个子项未能拷贝 ！").arg(result.notCopied));
}

// --- saving, printing, closing ---

bool TItemSetForm::SpeedButton4Click() {
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    const bool stored = guarded(this, [this] {
        QStringList texts;
        for (int r = 0; r < StringGrid->rowCount(); ++r)
            texts << StringGrid->value(r);
        PageParameters page = m_page;
        page.setGridTexts(texts, m_store.typeNames());
        if (!m_storedPicture) {
            const QString suffix = QFileInfo(page.pictureFile).suffix();
            page.pictureFormat = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix.toLower();
        }
        const QString selectedName = m_selected >= 0 ? m_tpl->items[m_selected].name : QString();
        const QSqlDatabase def = Database::get(Db::Define);
        {
            Sql::Transaction tx(def);
            writePageRow(def, BillStore::workingPageTable(), page);
            SaveTemplateItems(def, BillStore::workingItemTable(), *m_tpl);
            tx.commit();
        }
        m_page = page;
        fillNameList();
        selectItem(selectedName.isEmpty() ? -1 : m_tpl->indexOfName(selectedName));
    });
    if (!stored)
        return false;
    QString error;
    if (!BillDefineFile::write(m_path, &error)) {
        Prompter::instance().error(this, error);
        return false;
    }
    m_modified = false;
    return true;
}

void TItemSetForm::SpeedButton6Click() {
    FileDialogSpec spec;
    spec.title = QStringLiteral("票据定义文件另保存为");
    spec.filter = QStringLiteral("票据定义文件(*.BDF)");
    spec.defaultSuffix = QStringLiteral("BDF");
    spec.fileName = m_path;
    const QString path = Prompter::instance().saveFile(this, spec);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path) &&
        !Prompter::instance().question(this, QStringLiteral("存在同名文件，需要覆盖吗 ？")))
        return;
    m_path = path;
    setWindowTitle(QStringLiteral("票据设置--") + m_path);
    SpeedButton4Click();
}

void TItemSetForm::SpeedButton5Click() {
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    CheckPrintDefine def;
    const bool ready = guarded(this, [&] {
        QStringList texts;
        for (int r = 0; r < StringGrid->rowCount(); ++r)
            texts << StringGrid->value(r);
        PageParameters page;
        page.setGridTexts(texts, m_store.typeNames());
        def = CheckPrintDefine::fromPage(page);
    });
    if (!ready)
        return;
    for (int i = 0; i < m_tpl->count(); ++i)
        def.items << m_tpl->items[i];
    runTestPrint(this, def, PrnImage->background(), PrnImage->dpi());
}

void TItemSetForm::SpeedButton3Click() {
    reject();
}

void TItemSetForm::reject() {
    if (FormCloseQuery())
        QDialog::reject();
}

bool TItemSetForm::FormCloseQuery() {
    StringGrid->hideEditors();
    StringGrid1->hideEditors();
    if (m_modified && Prompter::instance().question(this, QStringLiteral("已经修改了设置，需要保存吗 ？")) &&
        !SpeedButton4Click())
        return false; // a failed save keeps the design open rather than losing it
    guarded(this, [] {
        const QSqlDatabase def = Database::get(Db::Define);
        // The picture taken out of the definition file lives only as long as the design.
        const QString picture = readPageRow(def, BillStore::workingPageTable()).pictureFormat;
        if (!picture.isEmpty() && QFileInfo(picture).isFile() &&
            QFileInfo(picture).absoluteDir() == QDir(AppPaths::pictureDir()))
            QFile::remove(picture);
        Sql::Transaction tx(def);
        Sql::emptyTable(def, BillStore::workingPageTable());
        Sql::emptyTable(def, BillStore::workingItemTable());
        tx.commit();
    });
    m_modified = false;
    return true;
}
