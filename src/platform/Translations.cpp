#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Translations {

bool installChinese() {
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    QLocale::setDefault(chinese);

    const QStringList folders{QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    // qtbase carries the texts of the widgets and dialogs this program uses.
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
        delete translator;
    }
    return false;
}

} // namespace Translations
