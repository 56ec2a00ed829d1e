#include "platform/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace Fonts {

namespace {
enum class Kind { Fixed, Sans };
const struct {
    const char* face;
    Kind kind;
} kFaces[] = {
    {"宋体", Kind::Fixed},        {"新宋体", Kind::Fixed},         {"仿宋", Kind::Fixed},
    {"仿宋_GB2312", Kind::Fixed}, {"楷体", Kind::Fixed},           {"楷体_GB2312", Kind::Fixed},
    {"黑体", Kind::Fixed},        {"微软雅黑", Kind::Sans},        {"SimSun", Kind::Fixed},
    {"NSimSun", Kind::Fixed},     {"FangSong", Kind::Fixed},       {"KaiTi", Kind::Fixed},
    {"SimHei", Kind::Fixed},      {"Microsoft YaHei", Kind::Sans},
};
} // namespace

QStringList substitutedFaces() {
    QStringList faces;
    for (const auto& f : kFaces)
        faces << QString::fromUtf8(f.face);
    return faces;
}

void installSubstitutions() {
    const QStringList families = QFontDatabase::families();
    auto pick = [&](const QStringList& wanted) {
        QStringList found;
        for (const QString& w : wanted)
            if (families.contains(w))
                found << w;
        return found;
    };
    // The Windows Chinese faces print Latin letters and digits at one half-width each, which keeps
    // figures on the printed grid cells; the monospaced Noto face does the same.
    const QStringList fixed = pick({QStringLiteral("Noto Sans Mono CJK SC"),
                                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    const QStringList sans =
        pick({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans Mono CJK SC")});
    for (const auto& f : kFaces) {
        const QStringList& to = f.kind == Kind::Fixed ? fixed : sans;
        if (!to.isEmpty())
            QFont::insertSubstitutions(QString::fromUtf8(f.face), to);
    }
}

} // namespace Fonts
