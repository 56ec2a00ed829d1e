#include "cli/Commands.h"

#include "cli/CommandError.h"
#include "cli/Console.h"
#include "store/BillStore.h"

namespace Commands {

void parse(Parsed& parsed, const QStringList& args, const QList<QCommandLineOption>& options,
           const QString& help, int minPositional, int maxPositional) {
    QCommandLineParser& p = parsed.parser;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QString()});
    p.addOptions(options);
    if (!p.parse(QStringList{QStringLiteral("tarvel")} + args))
        throw CommandError::usage(p.errorText());
    if (p.isSet(QStringLiteral("help"))) {
        Console::out(help);
        parsed.helpShown = true;
        return;
    }
    parsed.positional = p.positionalArguments();
    if (parsed.positional.size() < minPositional)
        throw CommandError::usage(QStringLiteral("缺少参数"));
    if (parsed.positional.size() > maxPositional)
        throw CommandError::usage(
            QStringLiteral("多余的参数：%1").arg(parsed.positional.mid(maxPositional).join(' ')));
    for (const QCommandLineOption& o : options)
        if (!o.valueName().isEmpty() && p.isSet(o.names().constFirst()) &&
            p.value(o.names().constFirst()).isEmpty())
            throw CommandError::usage(QStringLiteral("选项 --%1 的值不能为空").arg(o.names().constFirst()));
}

MainItemFlag findBill(BillStore& store, const QString& typeAndName) {
    const int slash = typeAndName.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == typeAndName.size() - 1)
        throw CommandError::usage(
            QStringLiteral("票据应写作 类型/名称，例如 支票/工行转帐支票：%1").arg(typeAndName));
    const QString type = typeAndName.left(slash);
    const QString name = typeAndName.mid(slash + 1);
    const int index = store.typeIndexOf(type);
    if (index >= 0)
        for (const MainItemFlag& e : store.billEntriesOfType(index))
            if (e.billName == name)
                return e;
    throw CommandError::failure(
        QStringLiteral("没有票据“%1”（类型“%2”，名称“%3”）").arg(typeAndName, type, name));
}

} // namespace Commands
