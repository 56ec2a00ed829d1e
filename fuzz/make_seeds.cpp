// Writes the seed inputs of the fuzz targets with the program's own writers: a definition file of
// a small template with a picture, and a backup of a store holding one bill.
#include "FuzzEnvironment.h"
#include "exchange/BillDefineFile.h"
#include "exchange/SaveBackUpThread.h"
#include "platform/AppPaths.h"
#include "reference/ReferenceSheets.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus-folder>\n");
        return 2;
    }
    FuzzEnvironment::init();
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out + QStringLiteral("/deffile"));
    QDir().mkpath(out + QStringLiteral("/backup"));
    QDir().mkpath(out + QStringLiteral("/spreadsheet"));

    QImage img(16, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QString picture = AppPaths::tmpDir() + QStringLiteral("seed.jpg");
    img.save(picture, "JPG");

    QSqlDatabase def = Database::get(Db::Define);
    Sql::emptyTable(def, QStringLiteral("票据类型"));
    Sql::emptyTable(def, QStringLiteral("基本设置项"));
    Sql::insertRow(def, QStringLiteral("票据类型"),
                   {QStringLiteral("票据类型"), QStringLiteral("票据名称"), QStringLiteral("图形文件"),
                    QStringLiteral("票据宽"), QStringLiteral("票据长"), QStringLiteral("票据左空"),
                    QStringLiteral("票据顶空"), QStringLiteral("打印方向"), QStringLiteral("币种选择"),
                    QStringLiteral("图象数据格式"), QStringLiteral("打印背景"),
                    QStringLiteral("票据类型名称")},
                   {0, QStringLiteral("种子支票"), picture, 2400, 800, 0, 0, 0, 1, QStringLiteral(".jpg"), 0,
                    QStringLiteral("支票")});
    const QStringList names{QStringLiteral("金额"), QStringLiteral("大写"), QStringLiteral("收款人")};
    const QList<int> types{8, 7, 12};
    for (int i = 0; i < names.size(); ++i)
        Sql::insertRow(def, QStringLiteral("基本设置项"),
                       {QStringLiteral("设置项目名称"), QStringLiteral("横向位置"),
                        QStringLiteral("纵向位置"), QStringLiteral("宽度"), QStringLiteral("高度"),
                        QStringLiteral("字体"), QStringLiteral("字间距"), QStringLiteral("打印对齐"),
                        QStringLiteral("是否打印"), QStringLiteral("设置项类型"),
                        QStringLiteral("是否显示输入"), QStringLiteral("计算方法"),
                        QStringLiteral("设置项关系"), QStringLiteral("互锁组"), QStringLiteral("显示标题"),
                        QStringLiteral("打印后缀"), QStringLiteral("查询"), QStringLiteral("统计")},
                       {names[i], 100 + 300 * i, 100, 280, 60, QStringLiteral("宋体-9"), 0, 0, 1, types[i], 1,
                        QString(), QString(), 0, 0, 0, 1, 0});
    QString error;
    const QString defFile = out + QStringLiteral("/deffile/seed.BDF");
    if (!BillDefineFile::write(defFile, &error)) {
        std::fprintf(stderr, "definition file: %s\n", qPrintable(error));
        return 1;
    }

    BillStore store;
    store.ensureBillTypeTable();
    if (!BillDefineFile::read(defFile, &error)) {
        std::fprintf(stderr, "definition file read: %s\n", qPrintable(error));
        return 1;
    }
    store.createBillFromWorkingTemplate(0, QStringLiteral("种子支票"));
    store.changeTypeCount(0, 1);
    Sql::insertRow(Database::get(Db::Bill), QStringLiteral("业务单位"),
                   {QStringLiteral("单位名称"), QStringLiteral("识别码")},
                   {QStringLiteral("甲公司"), QStringLiteral("JGS")});
    SaveBackUpThread backup(out + QStringLiteral("/backup/seed.SBF"), false);
    try {
        backup.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "backup: %s\n", e.what());
        return 1;
    }
    try {
        ReferenceSheets::exportTable(QStringLiteral("业务单位"), ReferenceSheets::businessUnits(),
                                     out + QStringLiteral("/spreadsheet/units.xlsx"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "spreadsheet: %s\n", e.what());
        return 1;
    }
    // The committed legacy and OpenDocument fixtures of the tests seed the other readers.
    const QString fixtures = QStringLiteral(TARVEL_SOURCE_DIR "/tests/data/sheets/");
    for (const char* name : {"units-legacy.xls", "units.ods"})
        QFile::copy(fixtures + QLatin1String(name),
                    out + QStringLiteral("/spreadsheet/") + QLatin1String(name));
    return 0;
}
