// Spreadsheets come from anywhere. This drives the spreadsheet helper's parser directly (what
// tarvel-sheet runs on its input) and decodes its stream as the program does: neither may crash,
// hang or allocate without bound on any workbook.
#include "FuzzEnvironment.h"
#include "platform/SheetStreamDecoder.h"
#include "sheethelper/WorkbookParser.h"

namespace {
class CountingSink : public SheetRowSink {
public:
    void sheet(const QString&, int, int) override {}
    void row(int, const QStringList& cells) override { cellCount += cells.size(); }
    qint64 cellCount = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzEnvironment::init();
    const QString path = FuzzEnvironment::writeInput(data, size);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
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
