#pragma once

// The program speaks Chinese whatever the system's language: Qt's own texts (standard buttons,
// file and font dialogs, calendar names, Qt's error messages) come from Qt's Chinese translation
// and dates and numbers from the zh_CN locale.
namespace Translations {

// Sets the default locale to zh_CN and loads Qt's Chinese translation from the program's folder
// ("translations" below it) or Qt's translation folder. Returns false when no translation file
// could be loaded; the windows then still give their standard buttons Chinese texts themselves.
bool installChinese();

} // namespace Translations
