#include "platform/Printing.h"

#include "platform/FileModes.h"

#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>

namespace {
std::unique_ptr<Printing>& slot() {
    static std::unique_ptr<Printing> s;
    return s;
}

class PdfTarget : public PrintTarget {
public:
    PdfTarget(const QString& file, const PrintJobSetup& setup, int dpi)
        : m_writer(file), m_file(file), m_isNew(!QFile::exists(file)) {
        m_writer.setTitle(setup.title);
        m_writer.setCreator(QStringLiteral("Tarvel智能票据打印"));
        m_writer.setResolution(dpi);
        const QSizeF mm(setup.paperWidthTenths / 10.0, setup.paperLengthTenths / 10.0);
        m_writer.setPageSize(QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        m_writer.setPageOrientation(setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        m_writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    }
    QPaintDevice* device() override { return &m_writer; }
    int dpiX() const override { return m_writer.resolution(); }
    int dpiY() const override { return m_writer.resolution(); }
    bool finish(QString* error) override {
        // The writer completes the file when the painter ends; an unwritable file shows here.
        if (!QFile::exists(m_file)) {
            if (error)
                *error = QStringLiteral("无法写入文件：") + m_file;
            return false;
        }
        // A PDF goes where the operator wants it, for whom he wants: the user's umask holds.
        if (m_isNew)
            QFile::setPermissions(m_file, FileModes::exportPermissions());
        return true;
    }

private:
    QPdfWriter m_writer;
    QString m_file;
    bool m_isNew;
};
} // namespace

Printing& Printing::instance() {
    if (!slot())
        slot() = std::make_unique<PdfPrinting>(QDir::tempPath());
    return *slot();
}

void Printing::install(std::unique_ptr<Printing> printing) {
    slot() = std::move(printing);
}

std::unique_ptr<PrintTarget> beginPdfJob(const QString& file, const PrintJobSetup& setup, int dpi,
                                         QString* error) {
    if (setup.paperWidthTenths <= 0 || setup.paperLengthTenths <= 0) {
        if (error)
            *error = QStringLiteral("纸张尺寸无效");
        return nullptr;
    }
    return std::make_unique<PdfTarget>(file, setup, dpi);
}

PdfPrinting::PdfPrinting(QString folder, int dpi) : m_folder(std::move(folder)), m_dpi(dpi) {}

QStringList PdfPrinting::printers() {
    return {QStringLiteral("PDF")};
}

QString PdfPrinting::defaultPrinter() {
    return QStringLiteral("PDF");
}

std::unique_ptr<PrintTarget> PdfPrinting::begin(const PrintJobSetup& setup, QString* error) {
    QDir().mkpath(m_folder);
    m_lastFile = QDir(m_folder).filePath(QStringLiteral("job%1.pdf").arg(++m_count));
    QFile::remove(m_lastFile);
    return beginPdfJob(m_lastFile, setup, m_dpi, error);
}
