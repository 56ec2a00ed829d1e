#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

struct MainItemFlag;
class BillStore;

// The commands of the command line, each given its arguments after the command's name. They
// return the exit code or throw CommandError; store and file errors reach the dispatcher.
namespace Commands {

int importBill(const QStringList& args);
int bills(const QStringList& args);
int print(const QStringList& args);
int history(const QStringList& args);
int voidRecord(const QStringList& args);
int backup(const QStringList& args);
int units(const QStringList& args);
int contacts(const QStringList& args);
int store(const QStringList& args);

// The arguments of one command parsed against its options. With --help the command's help went
// to standard output and helpShown is set. Wrong usage throws CommandError.
struct Parsed {
    QCommandLineParser parser;
    QStringList positional;
    bool helpShown = false;
    QString value(const QString& name) const { return parser.value(name); }
    bool isSet(const QString& name) const { return parser.isSet(name); }
};
void parse(Parsed& parsed, const QStringList& args, const QList<QCommandLineOption>& options,
           const QString& help, int minPositional, int maxPositional);

// The bill "TYPE/NAME" of the store; throws CommandError naming it when there is none.
MainItemFlag findBill(BillStore& store, const QString& typeAndName);

} // namespace Commands
