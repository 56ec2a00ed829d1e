#pragma once

// The text drawing as it was before measuring was cached and characters were drawn in runs: every
// character measured afresh and drawn with its own drawText call. The comparison test holds the
// engine's pictures against these, pixel for pixel.

#include "templates/RenderEngine.h"
#include "templates/TextAlignment.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace characterwise {

// Text extents in whole device pixels, as a canvas reports them, so that the placement rules
// below put right- and bottom-aligned text flush with the box edges. Overhang is 0.
class Metrics {
public:
    explicit Metrics(const QPainter& painter) : m_fm(painter.font(), painter.device()) {}
    int width(const QString& text) const { return qRound(m_fm.horizontalAdvance(text)); }
    int height() const { return qRound(m_fm.height()); }
    double ascent() const { return m_fm.ascent(); }

private:
    QFontMetricsF m_fm;
};

inline int toZero(double v) {
    return static_cast<int>(std::trunc(v));
}

// ceil(a * dpi / 254) exactly, for either sign of a.
inline int scaleUp(qint64 a, int dpi) {
    const qint64 n = a * dpi;
    qint64 q = n / 254;
    if (n % 254 != 0 && n > 0)
        ++q;
    return static_cast<int>(q);
}

inline double spacingPixels(int spacing, int dpi) {
    return spacing == 0 ? 0.0 : spacing * static_cast<double>(dpi) / 254.0;
}

// Characters as the operator sees them: a surrogate pair is one character.
inline QStringList characters(const QString& text) {
    QStringList out;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out << text.mid(i, 2);
            ++i;
        } else {
            out << text.mid(i, 1);
        }
    }
    return out;
}

// Lines split at CR LF, CR or LF; a break at the very end adds no empty line.
inline QStringList splitLines(const QString& text) {
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
inline QString trimBlanks(const QString& text) {
    int b = 0;
    int e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return text.mid(b, e - b);
}

inline double advanceOf(const Metrics& m, double e, const QString& text) {
    if (e == 0.0)
        return m.width(text);
    double sum = 0;
    for (const QString& ch : characters(text))
        sum += m.width(ch) + e;
    return sum;
}

inline void drawAt(QPainter& painter, const Metrics& m, double x, double y, const QString& text) {
    painter.drawText(QPointF(x, y + m.ascent()), text);
}

inline bool isDigitPairs(ItemType t) {
    return t == ItemType::MonthDayTime || t == ItemType::YearMonthDay;
}

// Two-character units of a digit-pair text, each with its suffix when printSuffix is set.
inline QStringList digitPairUnits(const QString& text, const QStringList& suffixes, bool printSuffix) {
    const QStringList cs = characters(text);
    QStringList units;
    for (int k = 0; 2 * k < cs.size(); ++k) {
        QString unit = cs.at(2 * k);
        if (2 * k + 1 < cs.size())
            unit += cs.at(2 * k + 1);
        // Extra groups beyond the suffixes are still drawn, so that no digit is lost.
        if (printSuffix && k < suffixes.size())
            unit += suffixes.at(k);
        units << unit;
    }
    return units;
}

inline PixelRect AlignTextRect(const TemplateItem& item, int dpi, const QString& text, const PixelRect& box,
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
        const QStringList units =
            isDigitPairs(item.type) ? digitPairUnits(line, suffixes, item.printSuffix) : characters(line);
        for (const QString& unit : units) {
            const double advance = isDigitPairs(item.type) ? m.width(unit) + e : advanceOf(m, e, unit);
            if (w + advance <= boxWidth) {
                w += advance;
            } else {
                W = std::max(W, w);
                w = advance;
                H += m.height();
            }
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

inline QString WrapToBox(const TemplateItem& item, int dpi, const QString& text, const PixelRect& box,
                         QPainter& painter) {
    const Metrics m(painter);
    const double e = spacingPixels(item.spacing, dpi);
    const double boxWidth = box.right - box.left;
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    for (const QString& line : splitLines(text)) {
        QString current;
        double w = 0;
        for (const QString& ch : characters(line)) {
            const double advance = advanceOf(m, e, ch);
            // A character wider than the box gets a line of its own, without an empty one before.
            if (w + advance > boxWidth && !current.isEmpty()) {
                out += current + crlf;
                current.clear();
                w = 0;
            }
            current += ch;
            w += advance;
        }
        out += current + crlf;
    }
    return out + crlf;
}

inline void DrawFlowText(QPainter& painter, const QString& text, int alignment, int dpi, int spacing,
                         const PixelRect& rect) {
    const Metrics m(painter);
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
        for (const QString& ch : characters(line)) {
            const double advance = advanceOf(m, e, ch);
            if (x + advance > rect.right) {
                x = rect.left;
                y += step;
            }
            // Also after an explicit line break: text that does not fit is cut at the bottom.
            if (y > rect.bottom)
                return;
            drawAt(painter, m, toZero(x) + indent, y, ch);
            x += advance;
        }
        x = rect.left;
        y += step;
    }
}

inline void DrawReverseText(QPainter& painter, const QString& text, const QString& prefix, int alignment,
                            int dpi, int spacing, const PixelRect& rect) {
    const Metrics m(painter);
    const double e = spacingPixels(spacing, dpi);
    const int indent = TextAlignment::indent(alignment, e);
    const int h = m.height();
    double x = rect.right;
    int y = rect.bottom;
    int r = rect.right;
    double lastAdvance = 0;
    bool drewAny = false;

    for (const QString& line : splitLines(text)) {
        const QStringList cs = characters(line);
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
            drawAt(painter, m, toZero(x - advance) + indent, y - h, *it);
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
        drawAt(painter, m, toZero(x - prefixAdvance), y - h, prefix);
}

inline void DrawGridAmount(QPainter& painter, const QString& text, int alignment, int dpi, int spacing,
                           const PixelRect& rect) {
    int first = 0;
    while (first < text.size() && !(text.at(first) >= QLatin1Char('0') && text.at(first) <= QLatin1Char('9')))
        ++first;
    characterwise::DrawReverseText(painter, text.mid(first), text.left(first), alignment, dpi, spacing, rect);
}

inline void DrawDigitPairs(QPainter& painter, const QString& text, const QStringList& suffixes,
                           bool printSuffix, int alignment, int dpi, int spacing, const PixelRect& rect) {
    const Metrics m(painter);
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
        drawAt(painter, m, toZero(x) + indent, y, unit);
        x += advance;
    }
}

inline void DrawItemValue(QPainter& painter, const TemplateItem& item, const QString& text,
                          const PixelRect& box, int dpi) {
    SetCanvasFont(painter, item.font);
    const int a = item.alignment;
    switch (item.type) {
    case ItemType::AmountGrid:
    case ItemType::DigitGrid:
        characterwise::DrawGridAmount(painter, text, a, dpi, item.spacing, box);
        return;
    case ItemType::MonthDayTime:
    case ItemType::YearMonthDay:
        characterwise::DrawDigitPairs(painter, text, DigitPairSuffixes(item.type), item.printSuffix, a, dpi,
                                      item.spacing,
                                      characterwise::AlignTextRect(item, dpi, text, box, painter));
        return;
    default:
        break;
    }
    if (ItemTypes::isFlowText(item.type)) {
        const QString wrapped = trimBlanks(characterwise::WrapToBox(item, dpi, text, box, painter));
        characterwise::DrawFlowText(painter, wrapped, a, dpi, item.spacing,
                                    characterwise::AlignTextRect(item, dpi, wrapped, box, painter));
    } else {
        characterwise::DrawReverseText(painter, text, QString(), a, dpi, item.spacing,
                                       characterwise::AlignTextRect(item, dpi, text, box, painter));
    }
}

} // namespace characterwise
