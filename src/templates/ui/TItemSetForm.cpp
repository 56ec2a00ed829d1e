#include "templates/ui/TItemSetForm.h"

#include "store/ColumnNames.h"

#include "app/ui/TStringInputForm.h"
#include "exchange/BillDefineFile.h"
#include "platform/AppPaths.h"
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
#include "templates/ui/DesignerItemGrid.h"
#include "templates/ui/PageGridEditors.h"
#include "templates/ui/ParameterGrid.h"
#include "templates/ui/TAttrChangForm.h"
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
    : TemplateEditWindow(parent), m_store(store), m_tpl(std::make_unique<BillTemplate>()) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);

    auto* top = new QHBoxLayout;
    parameterTabs = new QTabWidget(this);
    parameterTabs->setObjectName(QStringLiteral("parameterTabs"));
    auto* tab1 = new QWidget(parameterTabs);
    tab1->setObjectName(QStringLiteral("pageTab"));
    auto* tab1Layout = new QVBoxLayout(tab1);
    pageGrid = new ParameterGrid(tab1, 6);
    pageGrid->setObjectName(QStringLiteral("pageGrid"));
    pageGrid->setLabels(PageParameters::gridLabels());
    tab1Layout->addWidget(pageGrid);
    parameterTabs->addTab(tab1, QStringLiteral("页面参数"));

    auto* tab2 = new QWidget(parameterTabs);
    tab2->setObjectName(QStringLiteral("itemTab"));
    auto* tab2Layout = new QHBoxLayout(tab2);
    auto* names = new QVBoxLayout;
    names->addWidget(new QLabel(QStringLiteral("子项名称"), tab2));
    itemNameList = new QListWidget(tab2);
    itemNameList->setObjectName(QStringLiteral("itemNameList"));
    names->addWidget(itemNameList);
    tab2Layout->addLayout(names, 2);
    auto* params = new QVBoxLayout;
    params->addWidget(new QLabel(QStringLiteral("子项对应参数"), tab2));
    itemGrid = new ParameterGrid(tab2, 6);
    itemGrid->setObjectName(QStringLiteral("itemGrid"));
    itemGrid->setLabels(itemParameterColumns());
    params->addWidget(itemGrid);
    tab2Layout->addLayout(params, 3);
    parameterTabs->addTab(tab2, QStringLiteral("子项参数"));
    // Both grids show every row without scrolling; the picture takes the height that is left.
    pageGrid->setMinimumHeight(pageGrid->fullHeight());
    itemGrid->setMinimumHeight(itemGrid->fullHeight());
    tab2Layout->setContentsMargins(4, 4, 4, 4);
    tab1Layout->setContentsMargins(4, 4, 4, 4);
    top->addWidget(parameterTabs, 1);

    adoptGridEditors(pageGrid, itemGrid);

    auto* buttons = new QVBoxLayout;
    const auto button = [this, buttons](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
        return b;
    };
    addItemButton = button("addItemButton", QStringLiteral("添加子项"));
    deleteItemButton = button("deleteItemButton", QStringLiteral("删除子项"));
    testPrintButton = button("testPrintButton", QStringLiteral("测试打印"));
    saveButton = button("saveButton", QStringLiteral("保  存"));
    saveAsButton = button("saveAsButton", QStringLiteral("另存为..."));
    exitButton = button("exitButton", QStringLiteral("退  出"));
    buttons->addStretch();
    top->addLayout(buttons);
    outer->addLayout(top);
    outer->addWidget(redBar(this));

    pictureScroller = new QScrollArea(this);
    pictureScroller->setObjectName(QStringLiteral("pictureScroller"));
    canvas = new TemplateCanvas(*m_tpl, TemplateCanvas::Options{true, false});
    pictureScroller->setWidget(canvas);
    outer->addWidget(pictureScroller, 1);
    pictureScroller->setMinimumHeight(180);
    setFixedSize(843, std::max(619, outer->minimumSize().height()));

    connect(addItemButton, &QPushButton::clicked, this, &TItemSetForm::addItem);
    connect(deleteItemButton, &QPushButton::clicked, this, &TItemSetForm::deleteItem);
    connect(exitButton, &QPushButton::clicked, this, &TItemSetForm::leave);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(testPrintButton, &QPushButton::clicked, this, &TItemSetForm::testPrint);
    connect(saveAsButton, &QPushButton::clicked, this, &TItemSetForm::saveAs);
    connect(itemNameList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling)
            selectListedItem(row);
    });
    connect(itemNameList, &QListWidget::itemDoubleClicked, this, [this] { renameItem(); });
    connect(pageGrid, &ParameterGrid::valueDoubleClicked, this, &TItemSetForm::editPageRow);
    connect(pageGrid, &ParameterGrid::textCommitted, this, &TItemSetForm::pageCommitted);
    connect(pageGrid, &ParameterGrid::entryChosen, this, [this](int row, int, const QString& text) {
        pageCommitted(row, pageGrid->valueBeforeEdit(), text);
    });
    m_itemGrid = new DesignerItemGrid(this, itemGrid, *m_tpl, *canvas);
    connect(m_itemGrid, &DesignerItemGrid::itemChanged, this, [this](bool renamed) {
        setModified();
        if (renamed)
            fillNameList();
        selectItem(m_selected);
    });
    connect(canvas, &TemplateCanvas::pressed, this, [this] {
        pageGrid->hideEditors();
        itemGrid->hideEditors();
    });
    connect(canvas, &TemplateCanvas::itemPicked, this, [this](int index) {
        m_selected = index;
        m_filling = true;
        itemNameList->setCurrentRow(index);
        m_filling = false;
        m_itemGrid->showItem(m_selected);
    });
    connect(canvas, &TemplateCanvas::itemMoved, this, [this] {
        setModified();
        m_itemGrid->showItem(m_selected);
    });
    connect(canvas, &TemplateCanvas::bandReleased, this, &TItemSetForm::applyGroup);

    QFont font(QStringLiteral("宋体"));
    font.setPointSize(9);
    m_lastFont = font;
}

TItemSetForm::~TItemSetForm() = default;

void TItemSetForm::loadWorkingTemplate() {
    setWindowTitle(QStringLiteral("票据设置--") + m_path);
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    m_storedPicture = false;
    m_store.reloadTypeNames();
    const QSqlDatabase def = Database::get(Db::Define);
    m_itemGrid->setReferenceColumns(ItemRelations::ReferenceColumns::fromDefineDatabase());
    m_page = readPageRow(def, BillStore::workingPageTable());
    m_page.typeIndex = resolveTypeIndex(m_store, m_page);
    const QStringList texts = m_page.gridTexts(m_store.typeNames());
    for (int r = 0; r < texts.size(); ++r)
        pageGrid->setValue(r, texts.at(r));
    if (m_page.pictureFile.isEmpty() && !m_page.pictureFormat.isEmpty())
        m_storedPicture = true;

    LoadTemplateItems(def, BillStore::workingItemTable(), *m_tpl);
    fillNameList();
    m_selected = m_tpl->count() > 0 ? 0 : -1;
    rebuildBackground();
    selectItem(m_selected);
    setModified(false);
    if (!canvas->drawingError().isEmpty())
        Prompter::instance().error(this, canvas->drawingError());
}

// --- the name list and the picture ---

void TItemSetForm::fillNameList() {
    m_filling = true;
    itemNameList->clear();
    itemNameList->addItems(m_tpl->names());
    m_filling = false;
}

void TItemSetForm::selectItem(int index) {
    m_selected = index >= 0 && index < m_tpl->count() ? index : -1;
    m_filling = true;
    itemNameList->setCurrentRow(m_selected);
    m_filling = false;
    redraw();
    canvas->selectItem(m_selected);
    m_itemGrid->showItem(m_selected);
}

void TItemSetForm::editItemRow(int row) {
    m_itemGrid->editRow(row);
}

void TItemSetForm::selectListedItem(int row) {
    if (row < 0 || row >= m_tpl->count())
        return;
    itemGrid->hideEditors();
    m_selected = row;
    canvas->selectItem(row);
    m_itemGrid->showItem(m_selected);
}

QString TItemSetForm::picturePath() const {
    const QString chosen = pageGrid->value(PageRow::PictureRow);
    if (!chosen.isEmpty())
        return chosen;
    if (QFileInfo(m_page.pictureFormat).isFile())
        return m_page.pictureFormat;
    return BillStore::resolvePicturePath(m_page.pictureFormat);
}

int TItemSetForm::pageNumber(int row) const {
    return pageGrid->value(row).trimmed().toInt();
}

void TItemSetForm::rebuildBackground() {
    canvas->setBackground(buildBackground(picturePath(), pageNumber(PageRow::WidthRow),
                                          pageNumber(PageRow::LengthRow), canvas->dpi()));
    redraw();
}

void TItemSetForm::redraw() {
    canvas->redraw();
}

// --- the page grid ---

void TItemSetForm::editPageRow(int row) {
    if (row == PageRow::PictureRow) {
        guarded(this, [this] { choosePicture(); });
        return;
    }
    if (openPageCellEditor(pageGrid, row, m_store.typeNames()))
        setModified();
}

void TItemSetForm::choosePicture() {
    FileDialogSpec spec;
    spec.title = QStringLiteral("选择票据图形文件");
    spec.filter = QStringLiteral("图形文件(*.jpg *.jpeg *.bmp)");
    spec.fileName = pageGrid->value(PageRow::PictureRow);
    const QString path = Prompter::instance().openPicture(this, spec);
    if (path.isEmpty())
        return;
    pageGrid->setValue(PageRow::PictureRow, path);
    m_storedPicture = false;
    setModified();
    const PictureSize size = ReadPictureSize(path);
    if (size.known() && Prompter::instance().question(this, QStringLiteral("需要自动更新票据的尺寸吗 ？"))) {
        pageGrid->setValue(PageRow::WidthRow, QString::number(size.width));
        pageGrid->setValue(PageRow::LengthRow, QString::number(size.height));
    }
    rebuildBackground();
}

void TItemSetForm::pageCommitted(int row, const QString& before, const QString& text) {
    guarded(this, [&] {
        switch (row) {
        case PageRow::TypeRow: {
            const QString name = text.trimmed();
            if (name.isEmpty()) {
                pageGrid->setValue(row, before);
                return;
            }
            m_store.ensureType(name);
            pageGrid->setValue(row, name);
            break;
        }
        case PageRow::DirectionRow:
            if (!PageParameters::directionTexts().contains(text))
                return;
            pageGrid->setValue(row, text);
            break;
        case PageRow::WidthRow:
        case PageRow::LengthRow: {
            bool ok = false;
            const int value = text.toInt(&ok);
            if (text.isEmpty() || !ok)
                return;
            const int old = before.trimmed().toInt();
            pageGrid->setValue(row, text);
            if (value <= old)
                fitItemsToPage(*m_tpl, row == PageRow::WidthRow, value);
            rebuildBackground();
            canvas->selectItem(m_selected);
            m_itemGrid->showItem(m_selected);
            break;
        }
        default:
            pageGrid->setValue(row, text);
            break;
        }
        setModified();
    });
}

// --- adding, deleting, renaming, group changes ---

void TItemSetForm::addItem() {
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
        const ColumnNames::Conflict conflict = ColumnNames::conflictOf(m_tpl->names(), name);
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
        const int dpi = canvas->dpi();
        QImage measure(1, 1, QImage::Format_RGB32);
        setImageDpi(measure, dpi);
        QFont font(QStringLiteral("宋体"));
        font.setPointSize(11);
        const QFontMetricsF fm(font, &measure);
        item.width = tenthsUp(qRound(fm.horizontalAdvance(PreviewText(item))), dpi);
        item.height = tenthsUp(qRound(fm.height()), dpi);
    }
    const int index = m_tpl->append(item);
    fillNameList();
    setModified();
    selectItem(index);
}

void TItemSetForm::deleteItem() {
    if (m_selected < 0)
        return;
    const QString name = m_tpl->items[m_selected].name;
    if (!Prompter::instance().question(this,
                                       QStringLiteral("确认要删除子项目：") + name + QStringLiteral(" 吗 ?")))
        return;
    const int position = m_selected;
    RemoveItem(*m_tpl, position);
    fillNameList();
    setModified();
    selectItem(std::min(position, m_tpl->count() - 1));
}

void TItemSetForm::renameItem() {
    const int index = itemNameList->currentRow();
    if (index < 0 || index >= m_tpl->count())
        return;
    const QString old = m_tpl->items[index].name;
    QStringList others = m_tpl->names();
    others.removeAt(index);
    QString name = old;
    for (;;) {
        const std::optional<QString> typed = TStringInputForm::ask(
            this, QStringLiteral("修改子项名称"), QStringLiteral("输入新的子项名称："), name);
        if (!typed || typed->isEmpty() || *typed == old)
            return;
        name = *typed;
        const ColumnNames::Conflict conflict = ColumnNames::conflictOf(others, name);
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
    setModified();
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
        itemNameList->setCurrentRow(m_selected);
        m_filling = false;
    }
    // Group changes are changes like any other; they must not be lost on closing.
    setModified();
    redraw();
    m_itemGrid->showItem(m_selected);
    if (result.notCopied > 0)
        Prompter::instance().warning(
            this, QStringLiteral("子项数目已达到500个，有%1个子项未能拷贝 ！").arg(result.notCopied));
}

// --- saving, printing, closing ---

bool TItemSetForm::save() {
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    const bool stored = guarded(this, [this] {
        QStringList texts;
        for (int r = 0; r < pageGrid->rowCount(); ++r)
            texts << pageGrid->value(r);
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
    setModified(false);
    return true;
}

void TItemSetForm::saveAs() {
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
    save();
}

void TItemSetForm::testPrint() {
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    CheckPrintDefine def;
    const bool ready = guarded(this, [&] {
        QStringList texts;
        for (int r = 0; r < pageGrid->rowCount(); ++r)
            texts << pageGrid->value(r);
        PageParameters page;
        page.setGridTexts(texts, m_store.typeNames());
        def = CheckPrintDefine::fromPage(page);
    });
    if (!ready)
        return;
    for (int i = 0; i < m_tpl->count(); ++i)
        def.items << m_tpl->items[i];
    runTestPrint(this, def, canvas->background(), canvas->dpi());
}

void TItemSetForm::leave() {
    reject();
}

bool TItemSetForm::mayClose() {
    pageGrid->hideEditors();
    itemGrid->hideEditors();
    if (modified() && Prompter::instance().question(this, QStringLiteral("已经修改了设置，需要保存吗 ？")) &&
        !save())
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
    setModified(false);
    return true;
}
