#include "cli/Console.h"

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace Console {

namespace {
void write(FILE* stream, const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

void out(const QString& line) {
    write(stdout, line);
}

void outFields(const QStringList& fields) {
    QStringList escaped;
    for (QString f : fields) {
        f.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        f.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
        f.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
        f.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        f.replace(QLatin1Char('\r'), QStringLiteral("\\n"));
        escaped << f;
    }
    out(escaped.join(QLatin1Char('\t')));
}

void err(const QString& line) {
    write(stderr, line);
}

} // namespace Console

ProgressReport::ProgressReport(QString label)
    : m_label(std::move(label)), m_terminal(isatty(STDERR_FILENO)) {}

ProgressReport::~ProgressReport() {
    if (m_barShown)
        std::fputc('\n', stderr);
}

void ProgressReport::update(qint64 done, qint64 total) {
    if (total <= 0)
        return;
    const int percent = int(std::clamp<qint64>(done * 100 / total, 0, 100));
    if (m_terminal) {
        if (percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        const int filled = percent * 30 / 100;
        const QString bar =
            QStringLiteral("\r%1 [%2%3] %4%")
                .arg(m_label, QString(filled, QLatin1Char('#')), QString(30 - filled, QLatin1Char('.')))
                .arg(percent, 3);
        const QByteArray bytes = bar.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
        m_barShown = true;
        return;
    }
    const int tenth = percent / 10;
    if (tenth == m_lastTenth)
        return;
    m_lastTenth = tenth;
    Console::err(QStringLiteral("%1：%2%").arg(m_label).arg(tenth * 10));
}
