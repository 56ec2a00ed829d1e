#include "platform/SpreadsheetReader.h"

#include "platform/RegularFile.h"
#include "platform/SpreadsheetError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace SpreadsheetReader {

namespace {
// Far beyond any sheet of business units or contacts; the helper takes the file into memory.
constexpr qint64 kMaxFileSize = qint64(256) * 1024 * 1024;
constexpr int kPollMilliseconds = 100;

QByteArray executableDir() {
    // The helper is found next to the running program, not through PATH.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFile::encodeName(QFileInfo(self).absolutePath());
}

QString beyondLimitsMessage(const QString& path) {
    return QStringLiteral("表格文件“%1”的工作表超出了表格文件的上限（1048576行、16384列），不能导入。")
        .arg(QFileInfo(path).fileName());
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// The running helper; whatever way reading ends, the helper is stopped and reaped.
class HelperProcess {
public:
    ~HelperProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
    }
    // Starts helper with input as its standard input and a pipe as its standard output; returns
    // the pipe's reading end, or -1.
    int start(const QByteArray& helper, int input, const Options& options) {
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return -1;
        Descriptor readEnd(pipeEnds[0]);
        Descriptor writeEnd(pipeEnds[1]);
        Descriptor devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));
        if (devNull.get() < 0)
            return -1;

        rlimit memory{rlim_t(options.memoryBytes), rlim_t(options.memoryBytes)};
        rlimit processor{rlim_t(options.processorSeconds), rlim_t(options.processorSeconds) + 1};
        rlimit none{0, 0};
#ifdef TARVEL_SANITIZED
        // The sanitizers reserve terabytes of address space for their shadow memory.
        const bool limitMemory = false;
#else
        const bool limitMemory = options.memoryBytes > 0;
#endif
        char* const argv[] = {const_cast<char*>(helper.constData()), nullptr};
        char* const envp[] = {nullptr};

        m_pid = ::fork();
        if (m_pid < 0)
            return -1;
        if (m_pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(writeEnd.get(), STDOUT_FILENO) < 0 ||
                ::dup2(devNull.get(), STDERR_FILENO) < 0)
                ::_exit(126);
            ::close_range(3, ~0U, 0);
            if ((limitMemory && ::setrlimit(RLIMIT_AS, &memory) != 0) ||
                ::setrlimit(RLIMIT_CPU, &processor) != 0 || ::setrlimit(RLIMIT_CORE, &none) != 0 ||
                ::setrlimit(RLIMIT_FSIZE, &none) != 0)
                ::_exit(126);
            ::execve(argv[0], argv, envp);
            ::_exit(127);
        }
        return readEnd.release();
    }
    void stop() {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
    }
    // Waits for the helper to end; true when it ended by itself with status 0.
    bool wait() {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = 0;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t m_pid = 0;
};
} // namespace

QString helperPath() {
    const QString dir = QFile::decodeName(executableDir());
    const QString beside = dir + QStringLiteral("/tarvel-sheet");
    const QString installed = dir + QStringLiteral("/../libexec/tarvel/tarvel-sheet");
    if (!QFileInfo(beside).isExecutable() && QFileInfo(installed).isExecutable())
        return QFileInfo(installed).absoluteFilePath();
    return beside;
}

QString damagedMessage(const QString& path) {
    return QStringLiteral("文件已损坏或不是可以读取的表格文件：") + QFileInfo(path).fileName();
}

void readRows(const QString& path, SheetRowSink& sink, const Options& options) {
    QString why;
    Descriptor input(RegularFile::openForReading(path, &why));
    if (input.get() < 0)
        throw SpreadsheetError(QStringLiteral("无法打开文件“%1”：%2").arg(path, why));
    struct stat st {};
    if (::fstat(input.get(), &st) != 0 || st.st_size > kMaxFileSize)
        throw SpreadsheetError(QStringLiteral("文件“%1”太大（超过256MB），不是可以导入的表格文件。")
                                   .arg(QFileInfo(path).fileName()));

    const QString helper = options.helper.isEmpty() ? helperPath() : options.helper;
    if (!QFileInfo(helper).isExecutable())
        throw SpreadsheetError(
            QStringLiteral("找不到读取表格文件的程序“%1”，请重新安装本程序。").arg(helper));

    HelperProcess process;
    Descriptor output(process.start(QFile::encodeName(helper), input.get(), options));
    if (output.get() < 0)
        throw SpreadsheetError(QStringLiteral("无法启动读取表格文件的程序：%1")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno))));
    input.reset();

    // A few bytes can stand for a million empty rows: the cancel is also looked at row by row.
    class CancellableSink : public SheetRowSink {
    public:
        CancellableSink(SheetRowSink& sink, const std::atomic_bool* cancel)
            : m_sink(sink), m_cancel(cancel) {}
        void sheet(const QString& name, int rowCount, int columnCount) override {
            m_sink.sheet(name, rowCount, columnCount);
        }
        void row(int index, const QStringList& cells) override {
            if (m_cancel && m_cancel->load())
                throw Cancelled();
            m_sink.row(index, cells);
        }

    private:
        SheetRowSink& m_sink;
        const std::atomic_bool* m_cancel;
    };
    CancellableSink cancellable(sink, options.cancel);
    SheetStreamDecoder decoder(cancellable);
    QElapsedTimer silence;
    silence.start();
    char buffer[1 << 16];
    try {
        for (;;) {
            if (options.cancel && options.cancel->load())
                throw Cancelled();
            pollfd p{output.get(), POLLIN, 0};
            const int ready = ::poll(&p, 1, kPollMilliseconds);
            if (ready < 0 && errno != EINTR)
                throw SpreadsheetError(damagedMessage(path));
            if (ready <= 0) {
                if (silence.hasExpired(qint64(options.silenceSeconds) * 1000))
                    throw SpreadsheetError(damagedMessage(path) + QStringLiteral("（读取超时）"));
                continue;
            }
            const ssize_t n = ::read(output.get(), buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0)
                break;
            silence.restart();
            decoder.feed(buffer, n);
        }
    } catch (const SheetStreamDecoder::Refused& refused) {
        if (refused.kind == SheetStream::FailureKind::BeyondLimits)
            throw SpreadsheetError(beyondLimitsMessage(path));
        throw SpreadsheetError(refused.detail.isEmpty()
                                   ? damagedMessage(path)
                                   : damagedMessage(path) + QStringLiteral("（%1）").arg(refused.detail));
    }
    // A helper that died half-way (a crash, a limit reached) leaves the stream unfinished.
    if (!process.wait() || !decoder.finished())
        throw SpreadsheetError(damagedMessage(path));
}

SheetTexts readActiveSheet(const QString& path, const Options& options) {
    class Collector : public SheetRowSink {
    public:
        SheetTexts texts;
        void sheet(const QString& name, int rowCount, int columnCount) override {
            texts.sheetName = name;
            texts.rowCount = rowCount;
            texts.columnCount = columnCount;
        }
        void row(int, const QStringList& cells) override { texts.rows.append(cells); }
    };
    Collector collector;
    readRows(path, collector, options);
    // Rows end at their last used cell; trailing empty rows are left out as before.
    while (!collector.texts.rows.isEmpty() && collector.texts.rows.constLast().isEmpty())
        collector.texts.rows.removeLast();
    return std::move(collector.texts);
}

} // namespace SpreadsheetReader
