#include "templates/PageParameters.h"

#include "templates/TemplateError.h"

QStringList PageParameters::gridLabels() {
    return QString::fromUtf8(
               "票据类型|票据名称|图形文件|票据宽|票据长|票据左空|票据顶空|打印方向|币种选择|打印背景")
        .split(QLatin1Char('|'));
}

QStringList PageParameters::directionTexts() {
    return {QStringLiteral("横向打印"), QStringLiteral("纵向打印")};
}

QStringList PageParameters::gridTexts(const QStringList& typeNames) const {
    QStringList t;
    t << (typeIndex >= 0 && typeIndex < typeNames.size() ? typeNames.at(typeIndex) : QString());
    t << billName << pictureFile;
    t << QString::number(width) << QString::number(length) << QString::number(leftMargin)
      << QString::number(topMargin);
    t << (direction == 0 ? directionTexts().at(0) : directionTexts().at(1));
    t << (currencyChoice ? checkText() : QString());
    t << (printBackground ? checkText() : QString());
    return t;
}

namespace {
int toInteger(const QString& text) {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return 0;
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok)
        throw TemplateError::notAnInteger(text);
    return v;
}
} // namespace

void PageParameters::setGridTexts(const QStringList& texts, const QStringList& typeNames) {
    const auto at = [&texts](int row) { return row < texts.size() ? texts.at(row) : QString(); };
    // Convert first so that a bad number leaves the parameters as they were.
    const int w = toInteger(at(WidthRow));
    const int l = toInteger(at(LengthRow));
    const int lm = toInteger(at(LeftMarginRow));
    const int tm = toInteger(at(TopMarginRow));

    typeName = at(TypeRow);
    typeIndex = typeNames.indexOf(typeName);
    billName = at(NameRow);
    pictureFile = at(PictureRow);
    width = w;
    length = l;
    leftMargin = lm;
    topMargin = tm;
    direction = at(DirectionRow) == directionTexts().at(1) ? 1 : 0;
    currencyChoice = !at(CurrencyRow).isEmpty();
    printBackground = !at(BackgroundRow).isEmpty();
}
