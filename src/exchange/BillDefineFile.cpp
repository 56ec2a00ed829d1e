#include "exchange/BillDefineFile.h"

#include "platform/FileModes.h"
#include "platform/RegularFile.h"
#include "store/BillStore.h"
#include "store/ColumnNames.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

constexpr qint64 kHeaderSize = 256;
constexpr qint64 kChecksumOffset = 36;
constexpr qint64 kEndOffset = 40;
constexpr qsizetype kMaxItems = 500;
const char kMagic[] = "File Define for Bill KORVEX V1.00";

// Page values 11 and 12 are taken by name; the column positions they would have by number hold
// the legacy picture bytes, which never travel.
const QString kPrintBackground = QStringLiteral("打印背景");
const QString kTypeName = QStringLiteral("票据类型名称");
const QString kPictureFile = QStringLiteral("图形文件");
const QString kPictureFormat = QStringLiteral("图象数据格式");
constexpr int kPictureFilePosition = 4;
constexpr int kPrintBackgroundValue = 10;
constexpr int kTypeNameValue = 11;

bool isIntegerType(const QString& type) {
    return type.contains(QLatin1String("INT"));
}

// Header and sections are far smaller than this in any real file; the picture after them is not
// held in memory.
constexpr qint64 kMaxChecked = qint64(32) * 1024 * 1024;
constexpr qint64 kChunk = qint64(1) << 20;

quint32 checksumOf(const uchar* data, qint64 end) {
    quint32 sum = 0;
    for (qint64 i = 0; i < end; ++i)
        if (i < kChecksumOffset || i >= kChecksumOffset + 4)
            sum += data[i];
    return sum;
}

// A definition file read in bounded chunks, never through a memory map: another process may
// shorten the file while it is read, and reading a map past the new end kills the program.
// Only regular files are opened, so that a FIFO or a device cannot block the window.
class DefineFileBytes {
public:
    bool open(const QString& path) {
        if (!RegularFile::open(m_file, path, nullptr))
            return false;
        m_size = m_file.size();
        return true;
    }
    qint64 size() const { return m_size; }
    const uchar* data() const { return reinterpret_cast<const uchar*>(m_checked.constData()); }

    // Reads the header and the checksummed area up to its end (*end) and checks the magic and
    // the checksum.
    bool readChecked(qint64* end) {
        if (m_size < kHeaderSize || !readUpTo(kHeaderSize))
            return false;
        if (memcmp(data(), kMagic, 32) != 0)
            return false;
        const qint64 e = qFromLittleEndian<quint32>(data() + kEndOffset);
        if (e < kHeaderSize || e > m_size || e > kMaxChecked || !readUpTo(e))
            return false;
        if (checksumOf(data(), e) != qFromLittleEndian<quint32>(data() + kChecksumOffset))
            return false;
        *end = e;
        return true;
    }

    // Copies everything from offset to the end of the file as it was when opened; false when the
    // file ends early or cannot be read.
    bool copyRest(qint64 offset, QIODevice& out) {
        if (!m_file.seek(offset))
            return false;
        for (qint64 left = m_size - offset; left > 0;) {
            const QByteArray chunk = m_file.read(std::min(left, kChunk));
            if (chunk.isEmpty() || out.write(chunk) != chunk.size())
                return false;
            left -= chunk.size();
        }
        return true;
    }

private:
    bool readUpTo(qint64 length) {
        while (m_checked.size() < length) {
            const QByteArray chunk = m_file.read(std::min(length - m_checked.size(), kChunk));
            if (chunk.isEmpty())
                return false;
            m_checked.append(chunk);
        }
        return true;
    }

    QFile m_file;
    QByteArray m_checked;
    qint64 m_size = 0;
};

// Reads the sections between the header and the end of the checksummed area; every length and
// count is tested against what is left before it is used.
class SectionReader {
public:
    SectionReader(const uchar* data, qint64 end) : m_data(data), m_pos(kHeaderSize), m_end(end) {}

    bool number(quint32* value) {
        if (m_end - m_pos < 4)
            return false;
        *value = qFromLittleEndian<quint32>(m_data + m_pos);
        m_pos += 4;
        return true;
    }
    bool text(QString* value) {
        quint32 length = 0;
        if (!number(&length) || length > quint64(m_end - m_pos))
            return false;
        const QByteArrayView raw(m_data + m_pos, qsizetype(length));
        m_pos += length;
        *value = m_decoder.decode(raw);
        const bool ok = !m_decoder.hasError();
        m_decoder.resetState();
        return ok;
    }
    qint64 left() const { return m_end - m_pos; }
    bool atEnd() const { return m_pos == m_end; }

private:
    const uchar* m_data;
    qint64 m_pos;
    qint64 m_end;
    // Stateless, so that a lead byte cut off at the end of a value counts as an error.
    QStringDecoder m_decoder{"GBK", QStringConverter::Flag::Stateless};
};

struct Content {
    QStringList pageValues;
    QList<QStringList> itemRows;
    qint64 pictureOffset = 0;
};

// A value as its column stores it: integer columns take decimal texts ("" is no value).
bool columnValue(const Sql::ColumnDef& col, const QString& text, QVariant* value) {
    if (!isIntegerType(col.type)) {
        *value = text;
        return true;
    }
    if (text.trimmed().isEmpty()) {
        *value = QVariant();
        return true;
    }
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    *value = n;
    return ok;
}

QString valueText(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

void appendNumber(QByteArray& out, quint32 value) {
    char buf[4];
    qToLittleEndian(value, buf);
    out.append(buf, 4);
}

class TextEncoder {
public:
    // Appends length and GBK bytes; throws when the text holds a character GBK does not have.
    void append(QByteArray& out, const QString& text, const QString& what) {
        if (!m_encoder.isValid())
            throw StoreError(QStringLiteral("本机不支持GBK编码，无法写入票据定义文件"));
        const QByteArray bytes = m_encoder.encode(text);
        const bool bad = m_encoder.hasError();
        m_encoder.resetState();
        if (bad)
            throw StoreError(QStringLiteral("“%1”的内容“%2”含有无法以GBK编码保存的字符，"
                                            "请修改后再保存")
                                 .arg(what, text));
        appendNumber(out, quint32(bytes.size()));
        out.append(bytes);
    }

private:
    QStringEncoder m_encoder{"GBK"};
};

QString pictureSource(const QString& remembered, const QString& format) {
    const QString source = remembered.isEmpty() ? format : remembered;
    if (source.isEmpty() || QFileInfo(source).isFile())
        return source;
    // A stored bill picture is found by its file name in this store's picture folder.
    const QString resolved = BillStore::resolvePicturePath(source);
    if (!resolved.isEmpty() && QFileInfo(resolved).isFile())
        return resolved;
    return source;
}

void writeFile(const QString& path) {
    QSqlDatabase def = Database::get(Db::Define);
    TextEncoder encoder;
    QByteArray body;

    const QList<Sql::ColumnDef> pageCols = Sql::columns(def, BillStore::workingPageTable());
    const QStringList pageNames = [&] {
        QStringList n;
        for (const Sql::ColumnDef& c : pageCols)
            n << c.name;
        return n;
    }();
    QList<QVariantList> pageRows = Sql::allRows(def, BillStore::workingPageTable());
    const QVariantList page = pageRows.isEmpty() ? QVariantList(pageCols.size()) : pageRows.constFirst();
    auto byName = [&](const QString& name) {
        const int i = pageNames.indexOf(name);
        return i < 0 ? QString() : valueText(page.value(i));
    };

    QString pictureFile;
    appendNumber(body, quint32(pageCols.size() - 2));
    for (int j = 2; j <= pageCols.size() - 1; ++j) {
        QString value;
        if (j == kPictureFilePosition) {
            pictureFile = valueText(page.value(j - 1));
            value = QStringLiteral("Gra");
        } else if (j == pageCols.size() - 2) {
            value = byName(kPrintBackground);
        } else if (j == pageCols.size() - 1) {
            value = byName(kTypeName);
        } else {
            value = valueText(page.value(j - 1));
        }
        encoder.append(body, value, pageCols.at(j - 1).name);
    }

    const QStringList itemCols = Sql::columnNames(def, BillStore::workingItemTable());
    const QList<QVariantList> items = Sql::allRows(def, BillStore::workingItemTable());
    appendNumber(body, quint32(items.size()));
    appendNumber(body, quint32(itemCols.size() - 1));
    for (const QVariantList& row : items)
        for (int c = 1; c < itemCols.size(); ++c)
            encoder.append(body, valueText(row.value(c)), itemCols.at(c));

    const QString source = pictureSource(pictureFile, byName(kPictureFormat));
    QByteArray picture;
    if (!source.isEmpty()) {
        QFile f(source);
        if (!f.open(QIODevice::ReadOnly))
            throw StoreError(QStringLiteral("无法打开图片文件“%1”：%2").arg(source, f.errorString()));
        picture = f.readAll();
        if (f.error() != QFileDevice::NoError)
            throw StoreError(QStringLiteral("无法读取图片文件“%1”：%2").arg(source, f.errorString()));
    }

    QByteArray header(kHeaderSize, char(0xFF));
    memset(header.data(), 0, 32);
    memcpy(header.data(), kMagic, sizeof(kMagic) - 1);
    qToLittleEndian<quint16>(0x1000, header.data() + 32);
    qToLittleEndian<quint32>(0, header.data() + kChecksumOffset);
    const qint64 end = kHeaderSize + body.size();
    if (end > qint64(std::numeric_limits<quint32>::max()))
        throw StoreError(QStringLiteral("票据定义内容过大，无法写入"));
    qToLittleEndian<quint32>(quint32(end), header.data() + kEndOffset);
    quint32 sum = checksumOf(reinterpret_cast<const uchar*>(header.constData()), kHeaderSize);
    for (char c : std::as_const(body))
        sum += uchar(c);
    qToLittleEndian<quint32>(sum, header.data() + kChecksumOffset);

    // A new file is the operator's to hand on, like an export; a replaced one keeps its mode.
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        throw StoreError(QStringLiteral("无法写入票据定义文件“%1”：%2").arg(path, out.errorString()));
    if (isNew)
        out.setPermissions(FileModes::exportPermissions());
    if (out.write(header) != header.size() || out.write(body) != body.size() ||
        out.write(picture) != picture.size() || !out.commit())
        throw StoreError(QStringLiteral("无法写入票据定义文件“%1”：%2").arg(path, out.errorString()));
}

bool parse(const DefineFileBytes& bytes, qint64 end, int pageColumns, int itemColumns, Content* content) {
    SectionReader in(bytes.data(), end);
    quint32 n = 0;
    if (!in.number(&n) || n > quint32(pageColumns - 2))
        return false;
    for (quint32 i = 0; i < n; ++i) {
        QString v;
        if (!in.text(&v))
            return false;
        content->pageValues << v;
    }
    quint32 rows = 0;
    quint32 fields = 0;
    if (!in.number(&rows) || !in.number(&fields))
        return false;
    if (fields > quint32(itemColumns - 1) || rows > quint32(kMaxItems))
        return false;
    // Every value takes at least its 4-byte length.
    if (quint64(rows) * fields * 4 > quint64(in.left()))
        return false;
    content->itemRows.reserve(rows);
    for (quint32 r = 0; r < rows; ++r) {
        QStringList row;
        row.reserve(fields);
        for (quint32 f = 0; f < fields; ++f) {
            QString v;
            if (!in.text(&v))
                return false;
            row << v;
        }
        content->itemRows << row;
    }
    if (!in.atEnd())
        return false;
    content->pictureOffset = end;
    return true;
}

struct PageRow {
    QStringList columns;
    QVariantList values;
};

bool pageRowOf(const Content& content, const QList<Sql::ColumnDef>& cols, PageRow* row) {
    QVariantList byPosition(cols.size());
    int background = -1;
    int typeName = -1;
    for (int i = 0; i < cols.size(); ++i) {
        if (cols.at(i).name == kPrintBackground)
            background = i;
        else if (cols.at(i).name == kTypeName)
            typeName = i;
    }
    if (background < 0 || typeName < 0)
        throw StoreError(QStringLiteral("工作表“票据类型”缺少“打印背景”或“票据类型名称”列"));
    byPosition[background] = 0;
    byPosition[typeName] = QString();
    for (int i = 0; i < content.pageValues.size(); ++i) {
        const int col = i == kPrintBackgroundValue ? background : i == kTypeNameValue ? typeName : i + 1;
        if (!columnValue(cols.at(col), content.pageValues.at(i), &byPosition[col]))
            return false;
    }
    for (int i = 1; i < cols.size(); ++i) {
        if (cols.at(i).type == QLatin1String("BLOB"))
            continue;
        row->columns << cols.at(i).name;
        row->values << byPosition.at(i);
    }
    return true;
}

void readFile(const QString& path) {
    const QString invalid = BillDefineFile::invalidFileMessage();
    DefineFileBytes bytes;
    qint64 end = 0;
    if (!bytes.open(path) || !bytes.readChecked(&end))
        throw StoreError(invalid);

    QSqlDatabase def = Database::get(Db::Define);
    const QList<Sql::ColumnDef> pageCols = Sql::columns(def, BillStore::workingPageTable());
    const QList<Sql::ColumnDef> itemCols = Sql::columns(def, BillStore::workingItemTable());
    Content content;
    if (!parse(bytes, end, int(pageCols.size()), int(itemCols.size()), &content))
        throw StoreError(invalid);

    PageRow page;
    if (!pageRowOf(content, pageCols, &page))
        throw StoreError(invalid);
    QList<QVariantList> itemValues;
    QStringList itemNames;
    for (int c = 1; c < itemCols.size(); ++c)
        itemNames << itemCols.at(c).name;
    for (const QStringList& row : std::as_const(content.itemRows)) {
        QVariantList values;
        for (int f = 0; f < row.size(); ++f) {
            QVariant v;
            if (!columnValue(itemCols.at(f + 1), row.at(f), &v))
                throw StoreError(invalid);
            values << v;
        }
        itemValues << values;
    }
    // Item names become column names of the bill's tables: they must not collide there.
    QStringList names;
    for (const QVariantList& values : std::as_const(itemValues))
        names << (values.isEmpty() ? QString() : values.constFirst().toString());
    const QString conflict = ColumnNames::firstConflict(names);
    if (!conflict.isEmpty())
        throw StoreError(
            QStringLiteral("票据定义文件 %1 不能导入：%2").arg(QDir::toNativeSeparators(path), conflict));

    const int formatAt = page.columns.indexOf(kPictureFormat);
    if (formatAt < 0)
        throw StoreError(QStringLiteral("工作表“票据类型”缺少“图象数据格式”列"));
    const QString picture = BillStore::newPictureFileName();
    {
        QSaveFile out(picture);
        if (!out.open(QIODevice::WriteOnly))
            throw StoreError(QStringLiteral("无法写入图片文件“%1”：%2").arg(picture, out.errorString()));
        // A file shortened while it is read is refused whole.
        if (!bytes.copyRest(content.pictureOffset, out))
            throw StoreError(invalid);
        if (!out.commit())
            throw StoreError(QStringLiteral("无法写入图片文件“%1”：%2").arg(picture, out.errorString()));
    }
    page.values[formatAt] = picture;

    try {
        Sql::Transaction tx(def);
        Sql::emptyTable(def, BillStore::workingPageTable());
        Sql::insertRow(def, BillStore::workingPageTable(), page.columns, page.values);
        Sql::emptyTable(def, BillStore::workingItemTable());
        for (const QVariantList& values : std::as_const(itemValues)) {
            if (values.isEmpty())
                Sql::exec(def, QStringLiteral("INSERT INTO %1 DEFAULT VALUES")
                                   .arg(Sql::q(BillStore::workingItemTable())));
            else
                Sql::insertRow(def, BillStore::workingItemTable(), itemNames.mid(0, values.size()), values);
        }
        tx.commit();
    } catch (...) {
        QFile::remove(picture);
        throw;
    }
}

} // namespace

QString BillDefineFile::invalidFileMessage() {
    return QStringLiteral("票据定义文件不存在或是非法的 ！");
}

bool BillDefineFile::write(const QString& path, QString* error) {
    try {
        writeFile(path);
        return true;
    } catch (const StoreError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

bool BillDefineFile::check(const QString& path) {
    DefineFileBytes bytes;
    qint64 end = 0;
    return bytes.open(path) && bytes.readChecked(&end);
}

bool BillDefineFile::read(const QString& path, QString* error) {
    try {
        readFile(path);
        return true;
    } catch (const StoreError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}
