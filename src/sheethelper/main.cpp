// tarvel-sheet: reads the workbook on standard input and writes the cells of its active sheet to
// standard output (see platform/SheetStream.h). The program runs it for every spreadsheet it
// imports, under time and memory limits, so that a workbook that crashes or exhausts a reading
// library ends only this process.
#include "platform/SheetStream.h"
#include "sheethelper/WorkbookParser.h"

#include <QByteArray>

#include <cerrno>
#include <unistd.h>

#ifdef TARVEL_SANITIZED
// The program starts the helper with an empty environment; leak reports of the libraries at exit
// would turn every workbook into a failure.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif

namespace {
// The program refuses larger files before it starts this helper.
constexpr qint64 kMaxFileSize = qint64(256) * 1024 * 1024;

bool writeAll(const QByteArray& bytes) {
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}
} // namespace

int main() {
    QByteArray bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return 2;
        if (n == 0)
            break;
        if (bytes.size() + n > kMaxFileSize)
            return 2;
        bytes.append(buffer, n);
    }
    bool written = true;
    // The .xls library opens files by name only; this names the file behind standard input.
    WorkbookParser::encode(bytes, QStringLiteral("/proc/self/fd/0"), [&written](const QByteArray& record) {
        if (written)
            written = writeAll(record);
    });
    return written ? 0 : 3;
}
