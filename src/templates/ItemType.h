#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The kind of an item (stored as "设置项类型", 0 to 25). It decides how a value is entered,
// converted and drawn. An out-of-range stored number keeps its value and behaves like free text.
enum class ItemType : quint8 {
    Text = 0,          // 文本
    YearCapital = 1,   // 日期(年-大写)
    MonthCapital = 2,  // 日期(月-大写)
    DayCapital = 3,    // 日期(日-大写)
    Year = 4,          // 日期(年)
    Month = 5,         // 日期(月)
    Day = 6,           // 日期(日)
    AmountCapital = 7, // 金额(大写)
    AmountFigures = 8, // 金额(小写)
    AmountGrid = 9,    // 金额(对格)
    CheckBox = 10,     // 检查框
    DigitGrid = 11,    // 数字对格
    BusinessUnit = 12, // 业务单位名称
    OwnUnit = 13,      // 本单位名称
    Purpose = 14,      // 用途
    Password = 15,     // 密码
    AutoNumber = 16,   // 自动编号
    Quantity = 17,     // 数量
    BillKind = 18,     // 票据种类
    ReturnReason = 19, // 退票理由
    FixedText = 20,    // 固定文本
    Handler = 21,      // 经办人
    Telephone = 22,    // 电话
    Contact = 23,      // 联系人
    MonthDayTime = 24, // 月日时分
    YearMonthDay = 25, // 年月日
};

namespace ItemTypes {

constexpr int Count = 26;

// The 26 names in stored order, as the designer's drop-down lists them.
QStringList names();
// Name of a stored type number; "" outside 0..25.
QString name(int type);

inline int index(ItemType t) {
    return static_cast<int>(t);
}

// The date parts in capitals or figures, and the three amount kinds.
bool isYear(ItemType t);
bool isMonth(ItemType t);
bool isDay(ItemType t);
bool isAmount(ItemType t);
// Date parts and the two digit-pair kinds, whose texts may carry 年/月/日 (时/分) suffixes.
bool usesPrintSuffix(ItemType t);
// Kinds that hold a number: only these may be summed (统计) or computed (计算方法).
bool isSummable(ItemType t);
// Kinds remembered between bills in the automatic-number table.
bool isRemembered(ItemType t);
// Kinds drawn as flowing text, left to right and top down.
bool isFlowText(ItemType t);

} // namespace ItemTypes
