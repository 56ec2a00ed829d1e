#include "templates/ItemType.h"

namespace ItemTypes {

QStringList names() {
    return QString::fromUtf8(
               "文本|日期(年-大写)|日期(月-大写)|日期(日-大写)|日期(年)|日期(月)|日期(日)|"
               "金额(大写)|金额(小写)|金额(对格)|检查框|数字对格|业务单位名称|本单位名称|用途|"
               "密码|自动编号|数量|票据种类|退票理由|固定文本|经办人|电话|联系人|月日时分|年月日")
        .split(QLatin1Char('|'));
}

QString name(int type) {
    const QStringList all = names();
    return type >= 0 && type < all.size() ? all.at(type) : QString();
}

bool isYear(ItemType t) {
    return t == ItemType::YearCapital || t == ItemType::Year;
}

bool isMonth(ItemType t) {
    return t == ItemType::MonthCapital || t == ItemType::Month;
}

bool isDay(ItemType t) {
    return t == ItemType::DayCapital || t == ItemType::Day;
}

bool isAmount(ItemType t) {
    return t == ItemType::AmountCapital || t == ItemType::AmountFigures || t == ItemType::AmountGrid;
}

bool usesPrintSuffix(ItemType t) {
    const int i = index(t);
    return (i >= 1 && i <= 6) || t == ItemType::MonthDayTime || t == ItemType::YearMonthDay;
}

bool isSummable(ItemType t) {
    switch (t) {
    case ItemType::AmountCapital:
    case ItemType::AmountFigures:
    case ItemType::AmountGrid:
    case ItemType::DigitGrid:
    case ItemType::Quantity:
        return true;
    default:
        return false;
    }
}

bool isRemembered(ItemType t) {
    return t == ItemType::Password || t == ItemType::AutoNumber || t == ItemType::FixedText;
}

bool isFlowText(ItemType t) {
    const int i = index(t);
    return i == 0 || (i >= 12 && i <= 23) || i >= Count;
}

} // namespace ItemTypes
