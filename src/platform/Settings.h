#pragma once

#include <QString>

// The application's own settings (the chosen printer, the owner's company and user name), kept in
// an INI file in the application folder so that the whole installation can be moved.
namespace Settings {

// Points the settings at another file (tests); empty restores the file of the application folder.
void setFile(const QString& path);
QString file();

// Creates the settings file with empty "Company" and "UserName" when it does not exist yet.
void ensureExists();
bool exists();

QString value(const QString& key);
// Writes only when the settings file exists, as the program never creates its key on its own.
bool setValue(const QString& key, const QString& value);

// 数据库设置: the shared store's URL (postgresql://…); empty for the folder's own store. Never a
// password: that belongs in libpq's password file.
inline QString store() {
    return value(QStringLiteral("Store"));
}
inline bool setStore(const QString& url) {
    return setValue(QStringLiteral("Store"), url);
}

inline QString printer() {
    return value(QStringLiteral("Printer"));
}

// "打印后确认": after the printing system took a job, the operator says whether the bill came out
// right before anything is recorded. Off unless set.
inline bool confirmAfterPrint() {
    return value(QStringLiteral("ConfirmPrint")) == QLatin1String("1");
}
inline bool setConfirmAfterPrint(bool on) {
    return setValue(QStringLiteral("ConfirmPrint"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

// 打印机校准: a printer's own offset in tenths of a millimetre (right and down positive), kept
// under the printer's name. A printer never calibrated has 0, 0.
struct PrinterOffset {
    int x = 0;
    int y = 0;
    bool operator==(const PrinterOffset&) const = default;
};
PrinterOffset printerOffset(const QString& printer);
// 0, 0 removes the printer's calibration. False when the settings file cannot be written.
bool setPrinterOffset(const QString& printer, PrinterOffset offset);

} // namespace Settings
