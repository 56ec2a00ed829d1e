#include "exchange/SampleCheque.h"

#include "exchange/BillDefineFile.h"
#include "exchange/BillImport.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "templates/TemplateStore.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QPainter>

namespace {

constexpr int kWidth = 1800; // tenths of a millimetre, also pixels of the form
constexpr int kLength = 800;

// Where the labels of the form stand and the items go (tenths of a millimetre).
struct SampleItem {
    const char* name;
    ItemType type;
    int left, top, width, height;
    const char* font;
    int alignment; // 0 居中, 1 向左, 2 向右
    int spacing = 0;
    bool input = true;
    const char* relation = "";
    int group = 0;
    bool statistics = false;
};

// Grid cells of the amount, from 亿 to 分.
constexpr int kGridLeft = 1180;
constexpr int kGridCell = 50;
constexpr int kGridCells = 11;

const SampleItem kItems[] = {
    {"号码", ItemType::AutoNumber, 1380, 50, 360, 60, "宋体-12", 1},
    {"年", ItemType::YearCapital, 400, 160, 220, 60, "宋体-11", 0, 0, true, "月-日"},
    {"月", ItemType::MonthCapital, 700, 160, 160, 60, "宋体-11", 0},
    {"日", ItemType::DayCapital, 940, 160, 160, 60, "宋体-11", 0},
    {"收款人", ItemType::BusinessUnit, 300, 260, 820, 60, "宋体-11", 1},
    {"金额", ItemType::AmountFigures, 1180, 260, 550, 60, "宋体-11", 2, 0, true, "", 0, true},
    {"大写金额", ItemType::AmountCapital, 360, 400, 780, 60, "宋体-11", 1, 0, false, "金额"},
    {"金额对格", ItemType::AmountGrid, kGridLeft, 420, kGridCell* kGridCells, 60, "宋体-12", 2, 29, false,
     "金额"},
    {"用途", ItemType::Purpose, 300, 540, 820, 60, "宋体-11", 1},
    {"现金", ItemType::CheckBox, 1260, 550, 60, 60, "宋体-12", 0, 0, true, "", 1},
    {"转帐", ItemType::CheckBox, 1510, 550, 60, 60, "宋体-12", 0, 0, true, "", 1},
};

void fillWorkingTemplate(const QString& picturePath) {
    QSqlDatabase def = Database::get(Db::Define);
    Sql::Transaction tx(def);
    Sql::emptyTable(def, BillStore::workingPageTable());
    Sql::emptyTable(def, BillStore::workingItemTable());
    PageParameters page;
    page.typeIndex = 0;
    page.typeName = SampleCheque::typeName();
    page.billName = SampleCheque::billName();
    page.width = kWidth;
    page.length = kLength;
    page.direction = 0;
    page.pictureFormat = picturePath;
    writePageRow(def, BillStore::workingPageTable(), page);
    for (const SampleItem& s : kItems) {
        TemplateItem item = TemplateItem::newItem(QString::fromUtf8(s.name));
        item.type = s.type;
        item.left = s.left;
        item.top = s.top;
        item.width = s.width;
        item.height = s.height;
        item.font = QString::fromUtf8(s.font);
        item.alignment = quint8(s.alignment);
        item.spacing = quint16(s.spacing);
        item.printed = true;
        item.showInput = s.input;
        item.relation = QString::fromUtf8(s.relation);
        item.interlockGroup = quint8(s.group);
        item.query = true;
        item.statistics = s.statistics;
        WriteItemRow(def, BillStore::workingItemTable(), item, false);
    }
    tx.commit();
}

void label(QPainter& p, int x, int y, const QString& text) {
    p.drawText(x, y, text);
}

} // namespace

namespace SampleCheque {

QString billName() {
    return QStringLiteral("示例转帐支票");
}

QString typeName() {
    return QStringLiteral("支票");
}

QImage drawForm() {
    QImage form(kWidth, kLength, QImage::Format_RGB32);
    form.setDotsPerMeterX(10000);
    form.setDotsPerMeterY(10000);
    form.fill(QColor(236, 246, 240));
    QPainter p(&form);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor ink(40, 110, 80);

    // The marks first, large and pale, so that no label hides them.
    QFont mark(QStringLiteral("Noto Sans CJK SC"));
    mark.setPixelSize(230);
    mark.setBold(true);
    p.setFont(mark);
    p.setPen(QColor(245, 200, 200));
    p.save();
    p.translate(kWidth / 2, kLength / 2 + 40);
    p.rotate(-12);
    p.drawText(QRect(-900, -200, 1800, 400), Qt::AlignCenter, QStringLiteral("仅供练习"));
    p.restore();

    p.setPen(QPen(ink, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(20, 20, kWidth - 40, kLength - 40);

    QFont title(QStringLiteral("Noto Sans CJK SC"));
    title.setPixelSize(70);
    title.setBold(true);
    p.setFont(title);
    p.setPen(ink);
    p.drawText(QRect(0, 30, kWidth, 90), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("转帐支票"));

    // The stamp "示例" in the top left corner.
    p.setPen(QPen(QColor(210, 30, 30), 6));
    p.drawRect(60, 40, 220, 90);
    QFont stamp(QStringLiteral("Noto Sans CJK SC"));
    stamp.setPixelSize(64);
    stamp.setBold(true);
    p.setFont(stamp);
    p.drawText(QRect(60, 40, 220, 90), Qt::AlignCenter, QStringLiteral("示例"));

    QFont text(QStringLiteral("Noto Sans CJK SC"));
    text.setPixelSize(36);
    p.setFont(text);
    p.setPen(ink);
    label(p, 1250, 100, QStringLiteral("号码"));
    label(p, 60, 205, QStringLiteral("出票日期（大写）"));
    label(p, 625, 205, QStringLiteral("年"));
    label(p, 865, 205, QStringLiteral("月"));
    label(p, 1105, 205, QStringLiteral("日"));
    label(p, 60, 305, QStringLiteral("收款人："));
    p.drawLine(300, 320, 1120, 320);
    label(p, 1180, 245, QStringLiteral("小写金额"));
    p.drawLine(1180, 320, 1730, 320);
    label(p, 60, 445, QStringLiteral("人民币（大写）"));
    p.drawLine(360, 460, 1140, 460);
    label(p, 60, 585, QStringLiteral("用途："));
    p.drawLine(300, 600, 1120, 600);

    // Amount grid: a unit row over eleven cells.
    QFont small = text;
    small.setPixelSize(28);
    p.setFont(small);
    const QString units = QStringLiteral("亿千百十万千百十元角分");
    p.setPen(QPen(ink, 2));
    for (int i = 0; i < kGridCells; ++i) {
        const QRect unit(kGridLeft + i * kGridCell, 350, kGridCell, 60);
        p.drawText(unit, Qt::AlignCenter, units.mid(i, 1));
        p.drawRect(unit);
        p.drawRect(kGridLeft + i * kGridCell, 410, kGridCell, 80);
    }

    // The two boxes of the check-box pair.
    p.setFont(text);
    label(p, 1170, 595, QStringLiteral("现金"));
    p.drawRect(1260, 550, 60, 60);
    label(p, 1420, 595, QStringLiteral("转帐"));
    p.drawRect(1510, 550, 60, 60);

    p.setFont(small);
    p.drawText(QRect(40, kLength - 110, kWidth - 80, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("本票样为软件示例，仅供练习，不是银行票据，不能用于支付。"));
    p.end();
    return form;
}

bool write(const QString& path, QString* error) {
    try {
        const QString picture = BillStore::newPictureFileName();
        {
            QFile out(picture);
            const QImage form = drawForm();
            if (!out.open(QIODevice::WriteOnly) || !form.save(&out, "JPG", 85))
                throw StoreError(QStringLiteral("无法写入示例票样图片：%1").arg(picture));
        }
        fillWorkingTemplate(picture);
        const bool ok = BillDefineFile::write(path, error);
        QFile::remove(picture);
        return ok;
    } catch (const StoreError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

int import(BillStore& store, const QString& path) {
    QString error;
    if (!BillDefineFile::read(path, &error))
        throw StoreError(error);
    const QString picture = BillImport::workingPage().picturePath;
    try {
        store.ensureBillTypeTable();
        int type = store.typeIndexOf(typeName());
        if (type < 0)
            type = store.addType(typeName());
        QSqlDatabase db = Database::get(Db::Bill);
        Sql::Transaction tx(db);
        BillImport::createBill(store, type, billName());
        // The cheque number starts at 00000001, so that the first print shows the number advancing.
        for (const MainItemFlag& entry : store.billEntriesOfType(type)) {
            if (entry.billName != billName())
                continue;
            const QString table = Sql::q(entry.autoTable);
            if (Sql::scalar(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt() == 0)
                Sql::exec(db, QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table));
            Sql::exec(db, QStringLiteral("UPDATE %1 SET \"号码\"=?").arg(table),
                      {QStringLiteral("00000001")});
        }
        const auto addOnce = [&](const QString& table, const QStringList& cols, const QVariantList& values) {
            const QString code = values.constLast().toString();
            if (Sql::scalar(db,
                            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"识别码\"=?").arg(Sql::q(table)),
                            {code})
                    .toInt() == 0)
                Sql::insertRow(db, table, cols, values);
        };
        addOnce(QStringLiteral("业务单位"),
                {QStringLiteral("单位名称"), QStringLiteral("银行帐号"), QStringLiteral("开户银行"),
                 QStringLiteral("识别码")},
                {QStringLiteral("示例贸易有限公司"), QStringLiteral("6222000000000001"),
                 QStringLiteral("练习银行示例支行"), QStringLiteral("SL")});
        addOnce(QStringLiteral("票据用途"), {QStringLiteral("用途"), QStringLiteral("识别码")},
                {QStringLiteral("货款"), QStringLiteral("HK")});
        tx.commit();
        return type;
    } catch (...) {
        QFile::remove(picture);
        throw;
    }
}

} // namespace SampleCheque
