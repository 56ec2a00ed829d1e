#include "support/PdfPages.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace PdfPages {

namespace {

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess proc;
    proc.start(program, arguments);
    proc.waitForFinished(30000);
    return proc.readAllStandardOutput();
}

QString unescapeHtml(QString s) {
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

// NFKC, and the CJK radicals a font's shared glyphs are extracted as mapped back to the characters
// that were drawn (the glyph of 长 comes back as the radical ⻓).
QString plain(const QString& text) {
    static const QList<std::pair<char16_t, char16_t>> radicals = {
        {0x2EA0, 0x6C11}, {0x2EC4, 0x897F}, {0x2EC5, 0x89C1}, {0x2EC6, 0x89D2}, {0x2EC9, 0x8D1D},
        {0x2ECB, 0x8F66}, {0x2ED3, 0x957F}, {0x2ED4, 0x95E8}, {0x2ED8, 0x9752}, {0x2EDA, 0x9875},
        {0x2EDB, 0x98CE}, {0x2EDC, 0x98DE}, {0x2EDD, 0x98DF}, {0x2EE2, 0x9A6C}, {0x2EE3, 0x9AA8},
        {0x2EE4, 0x9B3C}, {0x2EE5, 0x9C7C}, {0x2EE6, 0x9E1F}, {0x2EE8, 0x9EA6}, {0x2EE9, 0x9EC4},
        {0x2EEC, 0x9F50}, {0x2EEE, 0x9F7F}, {0x2EF0, 0x9F99},
    };
    QString out = text.normalized(QString::NormalizationForm_KC);
    for (QChar& c : out)
        for (const auto& [radical, character] : radicals)
            if (c.unicode() == radical)
                c = QChar(character);
    return out;
}

// The title as a PDF string literal writes it: bytes outside ASCII as octal escapes.
QByteArray escapedTitle(const QString& title) {
    QByteArray out;
    for (const char c : title.toUtf8()) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80)
            out += '\\' + QByteArray::number(b, 8);
        else if (c == '(' || c == ')' || c == '\\')
            out += QByteArray(1, '\\') + c;
        else
            out += c;
    }
    return out;
}

} // namespace

bool toolsAvailable() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

QString text(const QString& pdf) {
    return plain(QString::fromUtf8(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})));
}

QList<Word> words(const QString& pdf) {
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">(.*)</word>"));
    const QString html = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    QList<Word> out;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        out.append({plain(unescapeHtml(m.captured(5))), QRectF(topLeft, bottomRight)});
    }
    return out;
}

QRectF find(const QList<Word>& words, const QString& text) {
    const QString wanted = plain(text);
    for (int i = 0; i < words.size(); ++i) {
        QString spelled;
        QRectF box;
        for (int j = i; j < words.size(); ++j) {
            if (j > i && qAbs(words.at(j).box.top() - words.at(i).box.top()) > 1.0)
                break;
            spelled += words.at(j).text;
            box |= words.at(j).box;
            if (spelled == wanted)
                return box;
            if (!wanted.startsWith(spelled))
                break;
        }
    }
    return {};
}

QRect inkBounds(const QString& pdf, int dpi) {
    QTemporaryDir dir;
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
                                     QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("p"))});
    const QImage page(dir.filePath(QStringLiteral("p.pgm")));
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

QString awaitCupsPdf(const QDir& folder, const QStringList& before, const QString& title, int timeoutMs) {
    const QByteArray escaped = escapedTitle(title);
    const QByteArray raw = title.toUtf8();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        for (const QString& name : folder.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time)) {
            if (before.contains(name))
                continue;
            QFile f(folder.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = f.readAll();
            // Written completely: the trailer has arrived.
            if (!bytes.right(64).contains("%%EOF"))
                continue;
            if (bytes.contains(escaped) || bytes.contains(raw))
                return f.fileName();
        }
        QTest::qWait(200);
    }
    return {};
}

} // namespace PdfPages
