#pragma once

#include <QString>
#include <QStringList>

// The command line's output: results on standard output, messages and progress on standard
// error, both UTF-8.
namespace Console {

void out(const QString& line);
// Fields joined by tabs; tabs and line breaks inside a field are written as \t and \n.
void outFields(const QStringList& fields);
void err(const QString& line);

} // namespace Console

// Progress of long work on standard error: a bar redrawn in place when standard error is a
// terminal, otherwise one line for every tenth of the work.
class ProgressReport {
public:
    explicit ProgressReport(QString label);
    ~ProgressReport();
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;

    void update(qint64 done, qint64 total);

private:
    QString m_label;
    bool m_terminal = false;
    int m_lastTenth = -1;
    int m_lastPercent = -1;
    bool m_barShown = false;
};
