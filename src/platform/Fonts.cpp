#include "platform/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace Fonts {

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
    const struct {
        const char* face;
        const QStringList* to;
    } map[] = {
        {"宋体", &fixed},    {"SimSun", &fixed},         {"新宋体", &fixed},      {"NSimSun", &fixed},
        {"仿宋", &fixed},    {"FangSong", &fixed},       {"仿宋_GB2312", &fixed}, {"楷体", &fixed},
        {"KaiTi", &fixed},   {"楷体_GB2312", &fixed},    {"黑体", &fixed},        {"SimHei", &fixed},
        {"微软雅黑", &sans}, {"Microsoft YaHei", &sans},
    };
    for (const auto& m : map)
        if (!m.to->isEmpty())
            QFont::insertSubstitutions(QString::fromUtf8(m.face), *m.to);
}

} // namespace Fonts
