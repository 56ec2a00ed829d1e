#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QPaintDevice;

// What a print job needs to know about its page: paper size in tenths of a millimetre, the
// orientation, the printer (empty: the system's default) and the document title.
struct PrintJobSetup {
    QString title;
    QString printerName;
    int paperWidthTenths = 0;
    int paperLengthTenths = 0;
    bool landscape = false;
    // The printer's calibration (打印机校准) in tenths of a millimetre: everything on the page is
    // moved by this much, right and down for positive values.
    int offsetX = 0;
    int offsetY = 0;
};

// One started job: paint on device() at its resolution, then finish() hands it to the printing
// system. A job that is destroyed without finish() is aborted.
class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    virtual QPaintDevice* device() = 0;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    // False when the printing system refused the job; error then tells why.
    virtual bool finish(QString* error) = 0;
};

// Printing goes through this interface: the real one drives the system's printers, a PDF file
// stands in where a test or the operator wants a document instead.
class Printing {
public:
    virtual ~Printing() = default;
    virtual QStringList printers() = 0;
    virtual QString defaultPrinter() = 0;
    // Null on failure, with the reason in error.
    virtual std::unique_ptr<PrintTarget> begin(const PrintJobSetup& setup, QString* error) = 0;

    static Printing& instance();
    // Takes ownership; tests replace the printing system with a PDF writer.
    static void install(std::unique_ptr<Printing> printing);
};

// A job written as a PDF file (QPdfWriter), at the given resolution.
std::unique_ptr<PrintTarget> beginPdfJob(const QString& file, const PrintJobSetup& setup, int dpi,
                                         QString* error);

// Prints into PDF files instead of a printer: every job writes the next file of a folder.
class PdfPrinting : public Printing {
public:
    explicit PdfPrinting(QString folder, int dpi = 600);
    QStringList printers() override;
    QString defaultPrinter() override;
    std::unique_ptr<PrintTarget> begin(const PrintJobSetup& setup, QString* error) override;
    QString lastFile() const { return m_lastFile; }

private:
    QString m_folder;
    int m_dpi;
    int m_count = 0;
    QString m_lastFile;
};
