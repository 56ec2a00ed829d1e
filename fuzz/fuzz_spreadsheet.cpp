// Spreadsheets come from anywhere. This drives the spreadsheet helper's parser directly (what
// tarvel-sheet runs on its input) and decodes its stream as the program does: neither may crash,
// hang or allocate without bound on any workbook. It links only the helper's parser and the
// decoder, as the helper and the program do.
#include "platform/SheetStreamDecoder.h"
#include "sheethelper/WorkbookParser.h"

#include <QFile>
#include <QTemporaryDir>

// FreeXL's text conversion reads past its stack buffers on damaged workbooks (a fault of the
// library that fuzzing finds within seconds). In the program such a workbook ends only the helper
// process and is refused as damaged; here those reports are left out so that fuzzing goes on to
// find everything else, crashes of the library included.
extern "C" const char* __asan_default_suppressions() {
    return "interceptor_via_lib:libfreexl.so\n";
}

namespace {
class CountingSink : public SheetRowSink {
public:
    void sheet(const QString&, int, int) override {}
    void row(int, const QStringList& cells) override { cellCount += cells.size(); }
    qint64 cellCount = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The .xls library reads files only, so every input is also written to one.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.bin"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return 0;
    }
    CountingSink sink;
    SheetStreamDecoder decoder(sink);
    try {
        WorkbookParser::encode(bytes, path, [&decoder](const QByteArray& record) {
            decoder.feed(record.constData(), record.size());
        });
    } catch (const SheetStreamDecoder::Refused&) {
    }
    return 0;
}
