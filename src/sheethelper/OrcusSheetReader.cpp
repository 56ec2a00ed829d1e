#include "sheethelper/OrcusSheetReader.h"

#include "platform/SpreadsheetError.h"
#include "sheethelper/SheetCells.h"

#include <orcus/exception.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <orcus/spreadsheet/import_interface_view.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <QXmlStreamReader>

#include <memory>
#include <vector>

namespace OrcusSheetReader {

namespace {
namespace ss = orcus::spreadsheet;

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

class SharedStrings : public ss::iface::import_shared_strings {
public:
    std::vector<QString> strings;

    size_t append(std::string_view s) override {
        strings.push_back(qs(s));
        return strings.size() - 1;
    }
    size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                ss::color_elem_t) override {}
    void append_segment(std::string_view s) override { m_segments += qs(s); }
    size_t commit_segments() override {
        strings.push_back(m_segments);
        m_segments.clear();
        return strings.size() - 1;
    }

private:
    QString m_segments;
};

// A1-style references of the sheets being read ("$A$1", "B2:C5").
class References : public ss::iface::import_reference_resolver {
public:
    ss::src_address_t resolve_address(std::string_view s) override {
        ss::src_address_t a{0, 0, 0};
        size_t i = 0;
        if (i < s.size() && s[i] == '$')
            ++i;
        const size_t colStart = i;
        long col = 0;
        while (i < s.size() && ((s[i] >= 'A' && s[i] <= 'Z') || (s[i] >= 'a' && s[i] <= 'z')) &&
               col < 100000) {
            col = col * 26 + ((s[i] & ~0x20) - 'A' + 1);
            ++i;
        }
        if (i < s.size() && s[i] == '$')
            ++i;
        const size_t rowStart = i;
        long row = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && row < 100000000) {
            row = row * 10 + (s[i] - '0');
            ++i;
        }
        if (i == colStart || i == rowStart || i != s.size() || row < 1 || col < 1)
            throw orcus::invalid_arg_error("invalid cell address");
        a.row = ss::row_t(row - 1);
        a.column = ss::col_t(col - 1);
        return a;
    }
    ss::src_range_t resolve_range(std::string_view s) override {
        ss::src_range_t r;
        const size_t colon = s.find(':');
        if (colon == std::string_view::npos) {
            r.first = r.last = resolve_address(s);
        } else {
            r.first = resolve_address(s.substr(0, colon));
            r.last = resolve_address(s.substr(colon + 1));
        }
        return r;
    }
};

class Sheet;

class SheetView : public ss::iface::import_sheet_view {
public:
    bool active = false;
    void set_sheet_active() override { active = true; }
    void set_split_pane(double, double, const ss::address_t&, ss::sheet_pane_t) override {}
    void set_frozen_pane(ss::col_t, ss::row_t, const ss::address_t&, ss::sheet_pane_t) override {}
    void set_selected_range(ss::sheet_pane_t, ss::range_t) override {}
};

// A formula cell keeps the result the workbook stored with it.
class Formula : public ss::iface::import_formula {
public:
    explicit Formula(SheetCells& b) : m_builder(b) {}
    void set_position(ss::row_t row, ss::col_t col) override {
        m_row = row;
        m_col = col;
        m_result.clear();
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override { m_result = qs(value); }
    void set_result_value(double value) override { m_result = SheetCells::numberText(value); }
    void set_result_bool(bool value) override {
        m_result = value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
    void set_result_empty() override { m_result.clear(); }
    void commit() override { m_builder.setText(m_row, m_col, m_result); }

private:
    SheetCells& m_builder;
    ss::row_t m_row = 0;
    ss::col_t m_col = 0;
    QString m_result;
};

class Sheet : public ss::iface::import_sheet {
public:
    Sheet(const QString& name, SharedStrings& strings, bool formattedBlanksUsed)
        : builder(name), m_strings(strings), m_formula(builder), m_formattedBlanksUsed(formattedBlanksUsed) {}

    SheetCells builder;
    SheetView view;

    ss::iface::import_sheet_view* get_sheet_view() override { return &view; }
    ss::iface::import_formula* get_formula() override { return &m_formula; }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override {
        builder.setText(row, col, qs(s));
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t index) override {
        builder.setText(row, col, index < m_strings.strings.size() ? m_strings.strings[index] : QString());
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override {
        builder.setText(row, col, SheetCells::numberText(value));
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override {
        builder.setText(row, col, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
                       double second) override {
        builder.setText(row, col, SheetCells::dateText(year, month, day, hour, minute, second));
    }
    // A formatted blank cell counts as used, as in the spreadsheet application, so that a row of
    // empty texts written by an export comes back as a row.
    void set_format(ss::row_t row, ss::col_t col, size_t) override {
        if (m_formattedBlanksUsed)
            builder.markUsed(row, col);
    }
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, size_t) override {}
    void fill_down_cells(ss::row_t, ss::col_t, ss::row_t) override {}
    ss::range_size_t get_sheet_size() const override {
        ss::range_size_t size;
        size.rows = 1048576;
        size.columns = 16384;
        return size;
    }

private:
    SharedStrings& m_strings;
    Formula m_formula;
    bool m_formattedBlanksUsed;
};

class Factory : public ss::iface::import_factory {
public:
    explicit Factory(bool formattedBlanksUsed) : m_formattedBlanksUsed(formattedBlanksUsed) {}

    std::vector<std::unique_ptr<Sheet>> sheets;

    ss::iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    ss::iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override {
        return &m_references;
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t, std::string_view name) override {
        sheets.push_back(std::make_unique<Sheet>(qs(name), m_strings, m_formattedBlanksUsed));
        return sheets.back().get();
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override {
        const QString n = qs(name);
        for (auto& s : sheets)
            if (s->builder.name() == n)
                return s.get();
        return nullptr;
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override {
        return index >= 0 && size_t(index) < sheets.size() ? sheets[size_t(index)].get() : nullptr;
    }
    void finalize() override {}

private:
    SharedStrings m_strings;
    References m_references;
    bool m_formattedBlanksUsed;
};

// The table an .ods was showing when saved, from its settings.xml ("" when it does not say).
QString odsActiveTable(const QByteArray& bytes) {
    try {
        orcus::zip_archive_stream_blob stream(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                              size_t(bytes.size()));
        orcus::zip_archive archive(&stream);
        archive.load();
        std::vector<unsigned char> buf;
        if (!archive.read_file_entry("settings.xml", buf))
            return {};
        QXmlStreamReader xml(QByteArray(reinterpret_cast<const char*>(buf.data()), qsizetype(buf.size())));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("config-item") &&
                xml.attributes().value(QLatin1String("config:name")) == QLatin1String("ActiveTable"))
                return xml.readElementText();
        }
    } catch (const std::exception&) {
        // Without readable settings the first sheet is the active one.
    }
    return {};
}
QByteArray zipEntry(orcus::zip_archive& archive, const char* name) {
    std::vector<unsigned char> buf;
    if (!archive.read_file_entry(name, buf))
        return {};
    return QByteArray(reinterpret_cast<const char*>(buf.data()), qsizetype(buf.size()));
}

// The part of a .xlsx that holds the sheet of this name ("xl/worksheets/sheet1.xml"), from the
// workbook and its relationships; empty when they do not say.
std::string xlsxSheetPart(orcus::zip_archive& archive, const QString& sheetName) {
    QString id;
    QXmlStreamReader workbook(zipEntry(archive, "xl/workbook.xml"));
    while (!workbook.atEnd() && id.isEmpty())
        if (workbook.readNext() == QXmlStreamReader::StartElement &&
            workbook.name() == QLatin1String("sheet") &&
            workbook.attributes().value(QLatin1String("name")) == sheetName)
            for (const QXmlStreamAttribute& a : workbook.attributes())
                if (a.name() == QLatin1String("id"))
                    id = a.value().toString();
    if (id.isEmpty())
        return {};
    QXmlStreamReader rels(zipEntry(archive, "xl/_rels/workbook.xml.rels"));
    while (!rels.atEnd())
        if (rels.readNext() == QXmlStreamReader::StartElement &&
            rels.name() == QLatin1String("Relationship") &&
            rels.attributes().value(QLatin1String("Id")) == id) {
            const QString target = rels.attributes().value(QLatin1String("Target")).toString();
            return (target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target)
                .toStdString();
        }
    return {};
}

// "B12" as 0-based row 11, column 1; false when it is no cell reference.
bool cellReference(QStringView ref, qint64& row, qint64& column) {
    qsizetype i = 0;
    qint64 c = 0;
    while (i < ref.size() && ref[i] >= QLatin1Char('A') && ref[i] <= QLatin1Char('Z') &&
           c <= SheetCells::kMaxColumns)
        c = c * 26 + (ref[i++].unicode() - 'A' + 1);
    bool ok = false;
    const qint64 r = ref.mid(i).toLongLong(&ok);
    if (i == 0 || !ok || r < 1)
        return false;
    row = r - 1;
    column = c - 1;
    return true;
}

// Cells written as inline strings (t="inlineStr", as streaming writers of the .xlsx format do)
// never reach the import interface of the reading library, which drops them; they are read here
// from the sheet's own part. Phonetic runs (rPh) are not part of the text.
void addXlsxInlineStrings(const QByteArray& bytes, SheetCells& cells) {
    try {
        orcus::zip_archive_stream_blob stream(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                              size_t(bytes.size()));
        orcus::zip_archive archive(&stream);
        archive.load();
        const std::string part = xlsxSheetPart(archive, cells.name());
        if (part.empty())
            return;
        const QByteArray sheet = zipEntry(archive, part.c_str());
        if (!sheet.contains("inlineStr"))
            return;
        QXmlStreamReader xml(sheet);
        qint64 row = -1, column = -1;
        bool inlineCell = false;
        int phonetic = 0;
        QString text;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                const QStringView name = xml.name();
                if (name == QLatin1String("row")) {
                    bool ok = false;
                    const qint64 r = xml.attributes().value(QLatin1String("r")).toLongLong(&ok);
                    row = ok && r >= 1 ? r - 1 : row + 1;
                    column = -1;
                } else if (name == QLatin1String("c")) {
                    qint64 r = row, c = column + 1;
                    if (cellReference(xml.attributes().value(QLatin1String("r")), r, c))
                        row = r;
                    column = c;
                    inlineCell = xml.attributes().value(QLatin1String("t")) == QLatin1String("inlineStr");
                    text.clear();
                } else if (name == QLatin1String("rPh")) {
                    ++phonetic;
                } else if (name == QLatin1String("t") && inlineCell && phonetic == 0) {
                    text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                }
            } else if (token == QXmlStreamReader::EndElement) {
                const QStringView name = xml.name();
                if (name == QLatin1String("rPh")) {
                    --phonetic;
                } else if (name == QLatin1String("c")) {
                    if (inlineCell && row >= 0 && column >= 0)
                        cells.setText(row, column, text);
                    inlineCell = false;
                }
            }
        }
    } catch (const std::exception&) {
        // The library has read the workbook already; a part it could read and this cannot adds nothing.
    }
}
} // namespace

bool detect(const QByteArray& bytes, Format format) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    try {
        return format == Format::Xlsx ? orcus::orcus_xlsx::detect(p, size_t(bytes.size()))
                                      : orcus::orcus_ods::detect(p, size_t(bytes.size()));
    } catch (const std::exception&) {
        return false;
    }
}

SheetCells readActiveSheet(const QByteArray& bytes, Format format) {
    Factory factory(format == Format::Xlsx);
    try {
        const std::string_view stream(bytes.constData(), size_t(bytes.size()));
        if (format == Format::Xlsx) {
            orcus::orcus_xlsx filter(&factory);
            filter.read_stream(stream);
        } else {
            orcus::orcus_ods filter(&factory);
            filter.read_stream(stream);
        }
    } catch (const std::exception& e) {
        throw SpreadsheetError(
            QStringLiteral("工作簿已损坏，无法读取（%1）。").arg(QString::fromUtf8(e.what())));
    }
    if (factory.sheets.empty())
        throw SpreadsheetError(QStringLiteral("工作簿中没有工作表。"));

    Sheet* chosen = factory.sheets.front().get();
    if (format == Format::Xlsx) {
        for (auto& s : factory.sheets)
            if (s->view.active) {
                chosen = s.get();
                break;
            }
        addXlsxInlineStrings(bytes, chosen->builder);
    } else {
        const QString active = odsActiveTable(bytes);
        for (auto& s : factory.sheets)
            if (!active.isEmpty() && s->builder.name() == active) {
                chosen = s.get();
                break;
            }
    }
    return std::move(chosen->builder);
}

} // namespace OrcusSheetReader
