#include "templates/ui/TDesignInputForm.h"

#include "platform/ui/Prompter.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "templates/PictureSize.h"
#include "templates/TemplateStore.h"
#include "templates/ui/PageGridEditors.h"
#include "templates/ui/ParameterGrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using Row = PageParameters::GridRow;

TDesignInputForm::TDesignInputForm(BillStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
    setWindowTitle(QStringLiteral("票据设计"));
    setModal(true);
    setFixedSize(519, 233);
    auto* layout = new QHBoxLayout(this);
    // Narrow margins leave the fixed window room for all ten rows of 22 pixels.
    layout->setContentsMargins(6, 4, 6, 4);
    pageGrid = new ParameterGrid(this, 2);
    pageGrid->setObjectName(QStringLiteral("pageGrid"));
    QFont gridFont(QStringLiteral("宋体"));
    gridFont.setPixelSize(14);
    pageGrid->setFont(gridFont);
    pageGrid->setLabels(PageParameters::gridLabels(), true);
    pageTextEditor = pageGrid->edit();
    pageChoiceEditor = pageGrid->combo();
    pageTextEditor->setObjectName(QStringLiteral("pageTextEditor"));
    pageChoiceEditor->setObjectName(QStringLiteral("pageChoiceEditor"));
    layout->addWidget(pageGrid, 1);

    auto* side = new QVBoxLayout;
    auto* unit = new QLabel(QStringLiteral("单位:0.1毫米"), this);
    QFont bold = unit->font();
    bold.setBold(true);
    unit->setFont(bold);
    QPalette red = unit->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    unit->setPalette(red);
    side->addWidget(unit);
    side->addStretch();
    auto* ok = new QPushButton(QStringLiteral("确  认"), this);
    auto* cancel = new QPushButton(QStringLiteral("退  出"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("exitButton"));
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    side->addWidget(ok);
    side->addWidget(cancel);
    layout->addLayout(side);

    connect(ok, &QPushButton::clicked, this, &TDesignInputForm::confirm);
    connect(cancel, &QPushButton::clicked, this, &TDesignInputForm::leave);
    connect(pageGrid, &ParameterGrid::valueDoubleClicked, this, &TDesignInputForm::editPageRow);
    connect(pageGrid, &ParameterGrid::textCommitted, this, &TDesignInputForm::textCommitted);
    connect(pageGrid, &ParameterGrid::entryChosen, this, [this](int row, int, const QString& text) {
        textCommitted(row, pageGrid->valueBeforeEdit(), text);
    });
}

void TDesignInputForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    guarded(this, [this] { fillDefaults(); });
}

void TDesignInputForm::fillDefaults() {
    pageGrid->hideEditors();
    pageGrid->clearValues();
    m_storedPicture = false;
    m_store.reloadTypeNames();
    const QSqlDatabase def = Database::get(Db::Define);
    const QString table = BillStore::workingPageTable();
    if (Sql::rowCount(def, table) == 0) {
        m_page = PageParameters();
        pageGrid->setValue(Row::TypeRow, m_store.typeNames().value(0));
        pageGrid->setValue(Row::DirectionRow, PageParameters::directionTexts().at(0));
        return;
    }
    m_page = readPageRow(def, table);
    const int stored = m_page.typeIndex;
    m_page.typeIndex = resolveTypeIndex(m_store, m_page);
    QStringList texts = m_page.gridTexts(m_store.typeNames());
    for (QString& t : texts)
        t = t.trimmed();
    // The picture kept in the definition file stands for an empty 图形文件.
    if (m_page.pictureFile.trimmed().isEmpty() && !m_page.pictureFormat.isEmpty())
        m_storedPicture = true;
    for (int r = 0; r < texts.size(); ++r)
        pageGrid->setValue(r, r == Row::CurrencyRow || r == Row::BackgroundRow
                                  ? (texts.at(r).isEmpty() ? QString() : PageParameters::checkText())
                                  : texts.at(r));
    if (m_page.typeIndex != stored)
        Sql::exec(def,
                  QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=?")
                      .arg(Sql::q(table), Sql::q(QStringLiteral("票据类型"))),
                  {m_page.typeIndex, Sql::rowIdAt(def, table, 0)});
}

void TDesignInputForm::editPageRow(int row) {
    if (row == Row::PictureRow) {
        guarded(this, [this] { choosePicture(); });
        return;
    }
    openPageCellEditor(pageGrid, row, m_store.typeNames());
}

void TDesignInputForm::textCommitted(int row, const QString& before, const QString& text) {
    guarded(this, [&] {
        if (row == Row::TypeRow) {
            const QString name = text.trimmed();
            if (name.isEmpty()) {
                pageGrid->setValue(row, before);
                return;
            }
            m_store.ensureType(name);
            pageGrid->setValue(row, name);
        } else if (row == Row::DirectionRow) {
            pageGrid->setValue(row, PageParameters::directionTexts().contains(text) ? text : before);
        } else {
            pageGrid->setValue(row, text);
        }
    });
}

void TDesignInputForm::choosePicture() {
    FileDialogSpec spec;
    spec.title = QStringLiteral("选择票据图形文件");
    spec.filter = QStringLiteral("图形文件(*.jpg *.jpeg *.bmp)");
    spec.fileName = pageGrid->value(Row::PictureRow);
    const QString path = Prompter::instance().openPicture(this, spec);
    if (path.isEmpty())
        return;
    pageGrid->setValue(Row::PictureRow, path);
    m_storedPicture = false;
    const PictureSize size = ReadPictureSize(path);
    const bool sizeEmpty =
        pageGrid->value(Row::WidthRow).isEmpty() || pageGrid->value(Row::LengthRow).isEmpty();
    if (sizeEmpty || (size.known() &&
                      Prompter::instance().question(this, QStringLiteral("需要自动更新票据的尺寸吗 ？")))) {
        pageGrid->setValue(Row::WidthRow, QString::number(size.width));
        pageGrid->setValue(Row::LengthRow, QString::number(size.height));
    }
}

void TDesignInputForm::confirm() {
    pageGrid->hideEditors();
    for (int r = Row::TypeRow; r <= Row::LengthRow; ++r) {
        if (r == Row::PictureRow && m_storedPicture)
            continue;
        if (pageGrid->value(r).trimmed().isEmpty()) {
            Prompter::instance().warning(
                this, QStringLiteral("必须设置 票据类型、票据名称、图形文件、票据宽、票据长"));
            return;
        }
    }
    const bool written = guarded(this, [this] {
        QStringList texts;
        for (int r = 0; r < pageGrid->rowCount(); ++r)
            texts << pageGrid->value(r).trimmed();
        PageParameters page = m_page;
        page.setGridTexts(texts, m_store.typeNames());
        writePageRow(Database::get(Db::Define), BillStore::workingPageTable(), page);
    });
    if (written)
        accept();
}

void TDesignInputForm::leave() {
    reject();
}
