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
    const QStringList serif = pick({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    const QStringList sans = pick({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    const struct {
        const char* face;
        const QStringList* to;
    } map[] = {
        {"宋体", &serif},    {"SimSun", &serif},         {"新宋体", &serif},      {"NSimSun", &serif},
        {"仿宋", &serif},    {"FangSong", &serif},       {"仿宋_GB2312", &serif}, {"楷体", &serif},
        {"KaiTi", &serif},   {"楷体_GB2312", &serif},    {"黑体", &sans},         {"SimHei", &sans},
        {"微软雅黑", &sans}, {"Microsoft YaHei", &sans},
    };
    for (const auto& m : map)
        if (!m.to->isEmpty())
            QFont::insertSubstitutions(QString::fromUtf8(m.face), *m.to);
}

} // namespace Fonts
