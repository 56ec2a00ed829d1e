#include "templates/RenderEngine.h"

#include "templates/TemplateError.h"
#include "templates/TextAlignment.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// One glyph of a shaped text: its font (a fallback font where the canvas font lacks it), its
// index in that font and its place relative to the text's baseline origin.
struct Glyph {
    QRawFont font;
    quint32 index;
    QPointF offset;
};

using Glyphs = QVarLengthArray<Glyph, 2>;

// Text extents in whole device pixels, as a canvas reports them, so that the placement rules
// below put right- and bottom-aligned text flush with the box edges. Overhang is 0.
//
// Shaping a text is the expensive part of drawing a bill, and the same few characters come back
// in every item and every bill: widths and glyphs are therefore kept per font and resolution for
// the thread's lifetime. A width is still that of the text shaped on its own, so every position
// stays what measuring each time gave.
struct FontCache {
    FontCache(const QFont& forFont, QPaintDevice* onDevice)
        : fm(forFont, onDevice), font(forFont), device(onDevice), ascent(fm.ascent()),
          height(qRound(fm.height())) {}
    QFontMetricsF fm;
    QFont font;
    QPaintDevice* device; // only for shaping new glyphs; replaced by each painter that asks
    const double ascent;
    const int height;
    // Widths and glyphs of whole texts.
    QHash<QString, int> widths;
    QHash<QString, Glyphs> glyphs;
    // The same for single characters, looked up by code point: most texts are measured and drawn
    // one character at a time.
    QHash<char32_t, int> characterWidths;
    QHash<char32_t, Glyphs> characterGlyphs;
};

// One character of a text as the operator sees it (a surrogate pair is one character, a lone
// surrogate is one of its own) and where it stands in the text.
struct Character {
    char32_t code;
    qsizetype at;
    qsizetype length;
};

using Characters = QVarLengthArray<Character, 64>;

Characters charactersOf(QStringView text) {
    Characters out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append({QChar::surrogateToUcs4(c, text.at(i + 1)), i, 2});
            ++i;
        } else {
            out.append({c.unicode(), i, 1});
        }
    }
    return out;
}

QString textOf(char32_t code) {
    return code < 0x10000 ? QString(QChar(char16_t(code))) : QString::fromUcs4(&code, 1);
}

std::shared_ptr<FontCache> fontCache(const QPainter& painter) {
    struct Recent {
        QFont font;
        std::array<int, 3> device;
        std::shared_ptr<FontCache> cache;
    };
    thread_local QHash<QString, std::shared_ptr<FontCache>> caches;
    // The fonts of the last few items, most recent first: a bill's items take turns among a few.
    thread_local std::vector<Recent> recent;
    QPaintDevice* device = painter.device();
    const QFont& font = painter.font();
    const std::array<int, 3> deviceKey = {device ? device->devType() : 0, device ? device->logicalDpiX() : 0,
                                          device ? device->logicalDpiY() : 0};
    const auto found = std::find_if(recent.begin(), recent.end(),
                                    [&](const Recent& r) { return r.device == deviceKey && r.font == font; });
    if (found != recent.end()) {
        std::rotate(recent.begin(), found, found + 1);
    } else {
        const QString key = font.key() + QLatin1Char('|') + QString::number(deviceKey[0]) + QLatin1Char('|') +
                            QString::number(deviceKey[1]) + QLatin1Char('|') + QString::number(deviceKey[2]);
        auto it = caches.find(key);
        if (it == caches.end()) {
            // A long session with many fonts starts over rather than growing without end.
            if (caches.size() >= 64) {
                caches.clear();
                recent.clear();
            }
            it = caches.insert(key, std::make_shared<FontCache>(font, device));
        }
        if (recent.size() >= 8)
            recent.pop_back();
        recent.insert(recent.begin(), Recent{font, deviceKey, it.value()});
    }
    const std::shared_ptr<FontCache>& cache = recent.front().cache;
    cache->device = device;
    return cache;
}

class Metrics {
public:
    explicit Metrics(const QPainter& painter) : m_keep(fontCache(painter)), m_cache(*m_keep) {}
    int width(const QString& text) const {
        auto it = m_cache.widths.constFind(text);
        if (it == m_cache.widths.cend())
            it = m_cache.widths.insert(text, measure(text));
        return it.value();
    }
    int width(char32_t character) const {
        auto it = m_cache.characterWidths.constFind(character);
        if (it == m_cache.characterWidths.cend())
            it = m_cache.characterWidths.insert(character, measure(textOf(character)));
        return it.value();
    }
    int height() const { return m_cache.height; }
    double ascent() const { return m_cache.ascent; }
    bool decorated() const {
        return m_cache.font.underline() || m_cache.font.strikeOut() || m_cache.font.overline();
    }
    const Glyphs& glyphs(const QString& text) const {
        auto it = m_cache.glyphs.constFind(text);
        if (it == m_cache.glyphs.cend())
            it = m_cache.glyphs.insert(text, shape(text));
        return it.value();
    }
    const Glyphs& glyphs(char32_t character) const {
        auto it = m_cache.characterGlyphs.constFind(character);
        if (it == m_cache.characterGlyphs.cend())
            it = m_cache.characterGlyphs.insert(character, shape(textOf(character)));
        return it.value();
    }

private:
    std::shared_ptr<FontCache> m_keep;
    FontCache& m_cache;

    int measure(const QString& text) const { return qRound(m_cache.fm.horizontalAdvance(text)); }
    Glyphs shape(const QString& text) const {
        QTextLayout layout(text, m_cache.font, m_cache.device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        Glyphs glyphs;
        if (line.isValid()) {
            const double baseline = line.ascent();
            for (const QGlyphRun& run : layout.glyphRuns()) {
                const QRawFont font = run.rawFont();
                const QList<quint32> indexes = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
                    glyphs.append({font, indexes.at(i), positions.at(i) - QPointF(0, baseline)});
            }
        }
        return glyphs;
    }
};

// Screen pictures and PDF pages take glyph runs as they take text; other canvases (recorders of
// what was drawn among them) get the characters themselves.
bool drawsGlyphRuns(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine && (engine->type() == QPaintEngine::Raster || engine->type() == QPaintEngine::Pdf);
}

// What drawing one item put on its canvas: glyph runs at their final places, or texts drawn one
// character at a time. An item drawing the same value again replays it without measuring.
struct DrawList {
    QList<QGlyphRun> runs;
    QList<std::pair<QPointF, QString>> texts;
};

// The list being recorded on this thread, if any.
DrawList*& recording() {
    thread_local DrawList* list = nullptr;
    return list;
}

// Draws characters at given places with as few painter calls as the fonts allow: glyphs of one
// font in a row go out as one glyph run at their exact positions. Underlined or struck-out text
// is drawn one character at a time, so that its lines keep the length of each character.
class CharacterPainter {
public:
    CharacterPainter(QPainter& painter, const Metrics& m)
        : m_painter(painter), m_metrics(m), m_runs(!m.decorated() && drawsGlyphRuns(painter)) {}
    ~CharacterPainter() { flush(); }
    CharacterPainter(const CharacterPainter&) = delete;
    CharacterPainter& operator=(const CharacterPainter&) = delete;

    // Text whose top-left corner is at (x, y).
    void draw(double x, double y, const QString& text) {
        if (m_runs)
            add(x, y, m_metrics.glyphs(text));
        else
            drawText(x, y, text);
    }
    // One character of a text, the same way.
    void draw(double x, double y, const Character& c, const QString& text) {
        if (m_runs)
            add(x, y, m_metrics.glyphs(c.code));
        else
            drawText(x, y, text.mid(c.at, c.length));
    }
    void flush() {
        if (m_indexes.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_font);
        run.setGlyphIndexes(m_indexes);
        run.setPositions(m_positions);
        m_painter.drawGlyphRun(QPointF(0, 0), run);
        if (DrawList* list = recording())
            list->runs.append(run);
        m_indexes.clear();
        m_positions.clear();
    }

private:
    void drawText(double x, double y, const QString& text) {
        const QPointF at(x, y + m_metrics.ascent());
        m_painter.drawText(at, text);
        if (DrawList* list = recording())
            list->texts.append({at, text});
    }
    void add(double x, double y, const Glyphs& glyphs) {
        const double baseline = y + m_metrics.ascent();
        for (const Glyph& g : glyphs) {
            if (!m_indexes.isEmpty() && !(g.font == m_font))
                flush();
            if (m_indexes.isEmpty())
                m_font = g.font;
            m_indexes.append(g.index);
            m_positions.append(QPointF(x + g.offset.x(), baseline + g.offset.y()));
        }
    }

    QPainter& m_painter;
    const Metrics& m_metrics;
    const bool m_runs;
    QRawFont m_font;
    QList<quint32> m_indexes;
    QList<QPointF> m_positions;
};

int toZero(double v) {
    return static_cast<int>(std::trunc(v));
}

// ceil(a * dpi / 254) exactly, for either sign of a.
int scaleUp(qint64 a, int dpi) {
    const qint64 n = a * dpi;
    qint64 q = n / 254;
    if (n % 254 != 0 && n > 0)
        ++q;
    return static_cast<int>(q);
}

double spacingPixels(int spacing, int dpi) {
    return spacing == 0 ? 0.0 : spacing * static_cast<double>(dpi) / 254.0;
}

// Lines split at CR LF, CR or LF; a break at the very end adds no empty line.
QStringList splitLines(const QString& text) {
    QStringList lines;
    int start = 0;
    int i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

// Blanks and control characters at both ends; an ideographic space is text.
QString trimBlanks(const QString& text) {
    int b = 0;
    int e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return text.mid(b, e - b);
}

double advanceOf(const Metrics& m, double e, const QString& text) {
    if (e == 0.0)
        return m.width(text);
    double sum = 0;
    for (const Character& c : charactersOf(text))
        sum += m.width(c.code) + e;
    return sum;
}

// The same for one character.
double advanceOf(const Metrics& m, double e, const Character& c) {
    return m.width(c.code) + e;
}

bool isDigitPairs(ItemType t) {
    return t == ItemType::MonthDayTime || t == ItemType::YearMonthDay;
}

// Two-character units of a digit-pair text, each with its suffix when printSuffix is set.
QStringList digitPairUnits(const QString& text, const QStringList& suffixes, bool printSuffix) {
    const Characters cs = charactersOf(text);
    QStringList units;
    for (int k = 0; 2 * k < cs.size(); ++k) {
        QString unit = text.mid(cs.at(2 * k).at, cs.at(2 * k).length);
        if (2 * k + 1 < cs.size())
            unit += QStringView(text).mid(cs.at(2 * k + 1).at, cs.at(2 * k + 1).length);
        // Extra groups beyond the suffixes are still drawn, so that no digit is lost.
        if (printSuffix && k < suffixes.size())
            unit += suffixes.at(k);
        units << unit;
    }
    return units;
}

} // namespace

namespace {
// What a font text sets on a font: family and size where it names them, and the styles it names.
struct FontText {
    QString family;
    int pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool strikeOut = false;
    bool underline = false;
};

FontText readFontText(const QString& text) {
    FontText read;
    const QStringList tokens = text.split(QLatin1Char('-'));
    for (int i = 0; i < tokens.size(); ++i) {
        const QString& t = tokens.at(i);
        if (t.isEmpty())
            continue;
        if (i == 0) {
            read.family = t;
        } else if (i == 1) {
            bool ok = false;
            const int size = t.toInt(&ok);
            if (!ok)
                throw TemplateError::notAnInteger(t);
            // A size of 0 or less cannot be drawn; the font keeps the size it had.
            if (size > 0)
                read.pointSize = size;
        } else if (t == QStringLiteral("粗体")) {
            read.bold = true;
        } else if (t == QStringLiteral("斜体")) {
            read.italic = true;
        } else if (t == QStringLiteral("粗斜体")) {
            read.bold = true;
            read.italic = true;
        } else if (t == QStringLiteral("删除线")) {
            read.strikeOut = true;
        } else if (t == QStringLiteral("下划线")) {
            read.underline = true;
        }
    }
    return read;
}

void applyFontText(const FontText& read, QFont& font) {
    if (!read.family.isEmpty())
        font.setFamily(read.family);
    if (read.pointSize > 0)
        font.setPointSize(read.pointSize);
    if (read.bold)
        font.setBold(true);
    if (read.italic)
        font.setItalic(true);
    if (read.strikeOut)
        font.setStrikeOut(true);
    if (read.underline)
        font.setUnderline(true);
}
} // namespace

void FontFromText(const QString& text, QFont& font) {
    applyFontText(readFontText(text), font);
}

QString FontToText(const QFont& font) {
    QString text = font.family() + QLatin1Char('-') + QString::number(qRound(font.pointSizeF()));
    if (font.bold() && font.italic())
        text += QStringLiteral("-粗斜体");
    else if (font.bold())
        text += QStringLiteral("-粗体");
    else if (font.italic())
        text += QStringLiteral("-斜体");
    if (font.underline())
        text += QStringLiteral("-下划线");
    if (font.strikeOut())
        text += QStringLiteral("-删除线");
    return text;
}

QFont FontOfText(const QString& text) {
    QFont font;
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    FontFromText(text, font);
    return font;
}

QString FontTextAfterPick(const QString& text, const QFont& picked) {
    const QFont old = FontOfText(text);
    const bool same = old.family() == picked.family() &&
                      qRound(old.pointSizeF()) == qRound(picked.pointSizeF()) &&
                      old.bold() == picked.bold() && old.italic() == picked.italic() &&
                      old.underline() == picked.underline() && old.strikeOut() == picked.strikeOut();
    return same ? text : FontToText(picked);
}

void SetCanvasFont(QPainter& painter, const QString& fontText) {
    // Every item of every bill sets its font: the few texts in use are read once.
    thread_local QHash<QString, FontText> read;
    auto it = read.constFind(fontText);
    if (it == read.cend()) {
        const FontText r = readFontText(fontText);
        if (read.size() >= 256)
            read.clear();
        it = read.insert(fontText, r);
    }
    QFont font = painter.font();
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    applyFontText(*it, font);
    painter.setFont(font);
}

Advance TextAdvance(int spacing, QPainter& painter, int dpi, const QString& text) {
    const Metrics m(painter);
    const double e = spacingPixels(spacing, dpi);
    return {advanceOf(m, e, text), e};
}

PixelRect ItemPixelBox(const TemplateItem& item, int dpiX, int dpiY) {
    PixelRect r;
    r.left = scaleUp(item.left, dpiX);
    r.top = scaleUp(item.top, dpiY);
    r.right = r.left + scaleUp(item.width, dpiX);
    r.bottom = r.top + scaleUp(item.height, dpiY);
    return r;
}

PixelRect AlignTextRect(const TemplateItem& item, int dpi, const QString& text, const PixelRect& box,
                        QPainter& painter) {
    const Metrics m(painter);
    const double e = spacingPixels(item.spacing, dpi);
    const double boxWidth = box.right - box.left;
    const QStringList lines = splitLines(text);
    const int n = static_cast<int>(lines.size());
    const QStringList suffixes = DigitPairSuffixes(item.type);

    double H = 0;
    double W = 0;
    for (const QString& line : lines) {
        H += m.height();
        double w = 0;
        const auto fit = [&](double advance) {
            if (w + advance <= boxWidth) {
                w += advance;
            } else {
                W = std::max(W, w);
                w = advance;
                H += m.height();
            }
        };
        if (isDigitPairs(item.type)) {
            for (const QString& unit : digitPairUnits(line, suffixes, item.printSuffix))
                fit(m.width(unit) + e);
        } else {
            for (const Character& c : charactersOf(line))
                fit(advanceOf(m, e, c));
        }
        W = std::max(W, w);
    }
    W += 1.0;

    PixelRect r = box;
    const double bw = box.right - box.left;
    const double bh = box.bottom - box.top;
    switch (TextAlignment::horizontal(item.alignment)) {
    case TextAlignment::Horizontal::Centre:
        if (bw > W) {
            r.left = toZero(box.left + (bw - W) * 0.5);
            r.right = toZero(r.left + W);
        }
        break;
    case TextAlignment::Horizontal::Left:
        r.left = box.left;
        r.right = toZero(box.left + W);
        break;
    case TextAlignment::Horizontal::Right:
        if (bw > W) {
            r.left = toZero(box.right - W);
            r.right = toZero(r.left + W);
        }
        break;
    case TextAlignment::Horizontal::None:
        break;
    }
    switch (TextAlignment::vertical(item.alignment)) {
    case TextAlignment::Vertical::Centre:
        if (bh > H) {
            r.top = toZero(box.top + (bh - H) * 0.5);
            r.bottom = toZero(r.top + H);
        }
        break;
    case TextAlignment::Vertical::Top:
        r.top = box.top;
        r.bottom = toZero(box.top + H);
        break;
    case TextAlignment::Vertical::Bottom:
        if (bh > H) {
            r.top = toZero(box.top + bh - H);
            r.bottom = toZero(r.top + H);
        }
        break;
    case TextAlignment::Vertical::None:
        break;
    }
    r.right = std::min(r.right, box.right);
    r.bottom = std::min(r.bottom, box.bottom);
    // Several lines aligned to the top or bottom are spread over the box by DrawFlowText.
    if (n >= 2 && item.alignment >= 3 && item.alignment <= 8) {
        r.top = box.top;
        r.bottom = box.bottom;
    }
    return r;
}

void LayoutItem(TemplateItem& item, const QString& text, int dpiX, int dpiY, QPainter& painter) {
    SetCanvasFont(painter, item.font);
    item.box = ItemPixelBox(item, dpiX, dpiY);
    item.textRect = AlignTextRect(item, dpiX, text, item.box, painter);
}

QString WrapToBox(const TemplateItem& item, int dpi, const QString& text, const PixelRect& box,
                  QPainter& painter) {
    const Metrics m(painter);
    const double e = spacingPixels(item.spacing, dpi);
    const double boxWidth = box.right - box.left;
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    for (const QString& line : splitLines(text)) {
        QString current;
        double w = 0;
        for (const Character& c : charactersOf(line)) {
            const double advance = advanceOf(m, e, c);
            // A character wider than the box gets a line of its own, without an empty one before.
            if (w + advance > boxWidth && !current.isEmpty()) {
                out += current + crlf;
                current.clear();
                w = 0;
            }
            current += QStringView(line).mid(c.at, c.length);
            w += advance;
        }
        out += current + crlf;
    }
    return out + crlf;
}

void DrawFlowText(QPainter& painter, const QString& text, int alignment, int dpi, int spacing,
                  const PixelRect& rect) {
    const Metrics m(painter);
    CharacterPainter pen(painter, m);
    const double e = spacingPixels(spacing, dpi);
    const QStringList lines = splitLines(trimBlanks(text));
    const int n = static_cast<int>(lines.size());
    const double L = m.height();
    const int indent = TextAlignment::indent(alignment, e);
    double x = rect.left;
    int y = rect.top;
    int step = toZero(L);
    int shift = 0;
    if (n >= 2) {
        const auto v = TextAlignment::vertical(alignment);
        if (v == TextAlignment::Vertical::Top) {
            step = (rect.bottom - rect.top) / n;
        } else if (v == TextAlignment::Vertical::Bottom) {
            step = (rect.bottom - rect.top) / n;
            shift = toZero(step - L);
        }
    }
    if (step < L)
        step = toZero(L);
    y += shift;

    for (const QString& line : lines) {
        for (const Character& c : charactersOf(line)) {
            const double advance = advanceOf(m, e, c);
            if (x + advance > rect.right) {
                x = rect.left;
                y += step;
            }
            // Also after an explicit line break: text that does not fit is cut at the bottom.
            if (y > rect.bottom)
                return;
            pen.draw(toZero(x) + indent, y, c, line);
            x += advance;
        }
        x = rect.left;
        y += step;
    }
}

void DrawReverseText(QPainter& painter, const QString& text, const QString& prefix, int alignment, int dpi,
                     int spacing, const PixelRect& rect) {
    const Metrics m(painter);
    CharacterPainter pen(painter, m);
    const double e = spacingPixels(spacing, dpi);
    const int indent = TextAlignment::indent(alignment, e);
    const int h = m.height();
    double x = rect.right;
    int y = rect.bottom;
    int r = rect.right;
    double lastAdvance = 0;
    bool drewAny = false;

    for (const QString& line : splitLines(text)) {
        const Characters cs = charactersOf(line);
        for (auto it = cs.crbegin(); it != cs.crend(); ++it) {
            const double advance = advanceOf(m, e, *it);
            r = toZero(x);
            if (x - advance < rect.left) {
                x = rect.right;
                r = rect.right;
                y = y - h;
            }
            if (y < rect.top)
                return;
            pen.draw(toZero(x - advance) + indent, y - h, *it, line);
            x -= advance;
            lastAdvance = advance;
            drewAny = true;
        }
        // The next (higher) line continues where this one ended.
        x = r;
        y = y - h;
    }

    if (prefix.isEmpty())
        return;
    if (drewAny) {
        y = y + h;
        x -= lastAdvance;
    } else {
        x = rect.right;
        y = rect.bottom;
    }
    const double prefixAdvance = m.width(prefix);
    if (x - prefixAdvance < rect.left) {
        x = rect.right;
        y = y - h;
    }
    if (y - h >= rect.top)
        pen.draw(toZero(x - prefixAdvance), y - h, prefix);
}

void DrawGridAmount(QPainter& painter, const QString& text, int alignment, int dpi, int spacing,
                    const PixelRect& rect) {
    int first = 0;
    while (first < text.size() && !(text.at(first) >= QLatin1Char('0') && text.at(first) <= QLatin1Char('9')))
        ++first;
    DrawReverseText(painter, text.mid(first), text.left(first), alignment, dpi, spacing, rect);
}

void DrawDigitPairs(QPainter& painter, const QString& text, const QStringList& suffixes, bool printSuffix,
                    int alignment, int dpi, int spacing, const PixelRect& rect) {
    const Metrics m(painter);
    CharacterPainter pen(painter, m);
    const double e = spacingPixels(spacing, dpi);
    const int indent = TextAlignment::indent(alignment, e);
    double x = rect.left;
    int y = rect.top;
    const int step = m.height();
    for (const QString& unit : digitPairUnits(trimBlanks(text), suffixes, printSuffix)) {
        const double advance = m.width(unit) + e;
        if (x + advance > rect.right) {
            x = rect.left;
            y += step;
        }
        if (y > rect.bottom)
            return;
        pen.draw(toZero(x) + indent, y, unit);
        x += advance;
    }
}

QStringList DigitPairSuffixes(ItemType type) {
    if (type == ItemType::MonthDayTime)
        return {QStringLiteral("月"), QStringLiteral("日"), QStringLiteral("时"), QStringLiteral("分")};
    if (type == ItemType::YearMonthDay)
        return {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")};
    return {};
}

namespace {
void drawItemValueMeasured(QPainter& painter, const TemplateItem& item, const QString& text,
                           const PixelRect& box, int dpi) {
    const int a = item.alignment;
    switch (item.type) {
    case ItemType::AmountGrid:
    case ItemType::DigitGrid:
        DrawGridAmount(painter, text, a, dpi, item.spacing, box);
        return;
    case ItemType::MonthDayTime:
    case ItemType::YearMonthDay:
        DrawDigitPairs(painter, text, DigitPairSuffixes(item.type), item.printSuffix, a, dpi, item.spacing,
                       AlignTextRect(item, dpi, text, box, painter));
        return;
    default:
        break;
    }
    if (ItemTypes::isFlowText(item.type)) {
        const QString wrapped = trimBlanks(WrapToBox(item, dpi, text, box, painter));
        DrawFlowText(painter, wrapped, a, dpi, item.spacing, AlignTextRect(item, dpi, wrapped, box, painter));
    } else {
        DrawReverseText(painter, text, QString(), a, dpi, item.spacing,
                        AlignTextRect(item, dpi, text, box, painter));
    }
}

// Everything the drawing of an item's value depends on: the canvas font and resolution, the kind of
// canvas, the item's drawing parameters, its value and its box.
QString drawKey(const QPainter& painter, const TemplateItem& item, const QString& text, const PixelRect& box,
                int dpi) {
    const QPaintDevice* device = painter.device();
    const QPaintEngine* engine = painter.paintEngine();
    QString key = painter.font().key();
    for (int v : {device ? device->devType() : 0, device ? device->logicalDpiX() : 0,
                  device ? device->logicalDpiY() : 0, engine ? int(engine->type()) : -1,
                  ItemTypes::index(item.type), int(item.alignment), int(item.spacing), int(item.printSuffix),
                  box.left, box.top, box.right, box.bottom, dpi})
        key += QLatin1Char('|') + QString::number(v);
    return key + QLatin1Char('|') + text;
}
} // namespace

void DrawItemValue(QPainter& painter, const TemplateItem& item, const QString& text, const PixelRect& box,
                   int dpi) {
    SetCanvasFont(painter, item.font);
    // Pages printed or written to a file carry values of their own, bill after bill: keeping what
    // they drew would only cost time and memory.
    const QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) {
        drawItemValueMeasured(painter, item, text, box, dpi);
        return;
    }
    // Redrawing a bill on screen draws mostly the same values again: those are replayed as they
    // were drawn.
    thread_local QHash<QString, DrawList> drawn;
    const QString key = drawKey(painter, item, text, box, dpi);
    const auto it = drawn.constFind(key);
    if (it != drawn.cend()) {
        for (const QGlyphRun& run : it->runs)
            painter.drawGlyphRun(QPointF(0, 0), run);
        for (const auto& [at, t] : it->texts)
            painter.drawText(at, t);
        return;
    }
    DrawList list;
    recording() = &list;
    try {
        drawItemValueMeasured(painter, item, text, box, dpi);
    } catch (...) {
        recording() = nullptr;
        throw;
    }
    recording() = nullptr;
    if (drawn.size() >= 20000)
        drawn.clear();
    drawn.insert(key, list);
}

void drawByKind(QPainter& painter, const TemplateItem& item, const QString& text, const PixelRect& rect,
                int dpi) {
    const int a = item.alignment;
    switch (item.type) {
    case ItemType::AmountGrid:
        DrawGridAmount(painter, text, a, dpi, item.spacing, rect);
        break;
    case ItemType::MonthDayTime:
    case ItemType::YearMonthDay:
        DrawDigitPairs(painter, text, DigitPairSuffixes(item.type), item.printSuffix, a, dpi, item.spacing,
                       rect);
        break;
    default:
        if (ItemTypes::isFlowText(item.type))
            DrawFlowText(painter, text, a, dpi, item.spacing, rect);
        else
            DrawReverseText(painter, text, QString(), a, dpi, item.spacing, rect);
        break;
    }
}

QString PreviewText(const TemplateItem& item) {
    const auto suffixed = [&item](const char* text, const char* suffix) {
        return QString::fromUtf8(text) + (item.printSuffix ? QString::fromUtf8(suffix) : QString());
    };
    switch (item.type) {
    case ItemType::YearCapital:
        return suffixed("贰零零柒", "年");
    case ItemType::MonthCapital:
        return suffixed("壹拾壹", "月");
    case ItemType::DayCapital:
        return suffixed("壹拾壹", "日");
    case ItemType::Year:
        return suffixed("2007", "年");
    case ItemType::Month:
        return suffixed("12", "月");
    case ItemType::Day:
        return suffixed("31", "日");
    case ItemType::AmountCapital:
        return QStringLiteral("加元贰佰叁拾玖亿壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角玖分");
    case ItemType::AmountFigures:
        return QStringLiteral("Can$23,912,345,678.99");
    case ItemType::AmountGrid:
        return QStringLiteral("Can$2391234567899");
    case ItemType::CheckBox:
        return QStringLiteral("√");
    case ItemType::DigitGrid:
        return QStringLiteral("12345678901234567890");
    case ItemType::MonthDayTime:
        return QStringLiteral("12312359");
    case ItemType::YearMonthDay:
        return QStringLiteral("991231");
    default:
        return item.name;
    }
}

void PreviewLayout(TemplateItem& item, QPainter& painter, int dpi) {
    if (!item.printed && !item.showInput)
        return;
    LayoutItem(item, PreviewText(item), dpi, dpi, painter);
    if (item.type == ItemType::AmountGrid || item.type == ItemType::DigitGrid)
        item.textRect = item.box;
    item.box = item.box.adjusted(previewMargin(item));
}

int previewMargin(const TemplateItem& item) {
    const int t = ItemTypes::index(item.type);
    return t >= 1 && t <= 11 ? 1 : 0;
}

PixelRect previewFrame(const TemplateItem& item, int dpi) {
    return ItemPixelBox(item, dpi, dpi).adjusted(previewMargin(item));
}

void PreviewItem(TemplateItem& item, QPainter& painter, int dpi) {
    if (!item.printed && !item.showInput)
        return;
    PreviewLayout(item, painter, dpi);
    SetCanvasFont(painter, item.font);
    const QColor colour = item.printed ? QColor(255, 0, 0) : QColor(0, 255, 0);
    painter.save();
    painter.setPen(QPen(colour, 0));
    drawByKind(painter, item, PreviewText(item), item.textRect, dpi);
    const PixelRect& b = item.box;
    painter.setPen(QPen(colour, 1, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(b.left, b.top, b.right, b.top);
    painter.drawLine(b.right, b.top, b.right, b.bottom);
    painter.drawLine(b.right, b.bottom, b.left, b.bottom);
    painter.drawLine(b.left, b.bottom, b.left, b.top);
    painter.restore();
}
