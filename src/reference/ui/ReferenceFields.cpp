#include "reference/ui/ReferenceFields.h"

#include "reference/ContactLists.h"
#include "store/Schema.h"

namespace ReferenceFields {

namespace {
using Kind = FieldPanel::Kind;
const QString kAddress = QStringLiteral("银行地址");

FieldPanel::Field line(const QString& column, const QString& objectName, const QString& label, int block,
                       int row, const QString& trailing = QString()) {
    return {column, objectName, label, trailing, block, row, Kind::Line, {}};
}
} // namespace

QList<FieldPanel::Field> ownAccount() {
    const QStringList c = Schema::ownAccountColumns();
    return {line(c[0], QStringLiteral("accountNameEdit"), QStringLiteral("开户名称"), 0, 0),
            line(c[1], QStringLiteral("accountNumberEdit"), QStringLiteral("银行帐号"), 0, 1),
            line(c[2], QStringLiteral("headBankEdit"), QStringLiteral("开户总行"), 0, 2),
            line(c[3], QStringLiteral("bankEdit"), QStringLiteral("开户银行"), 0, 3),
            line(c[4], QStringLiteral("provinceEdit"), kAddress, 0, 4, QStringLiteral("省/自治区")),
            line(c[5], QStringLiteral("cityEdit"), QString(), 0, 4, QStringLiteral("市/县")),
            line(c[6], QStringLiteral("addressEdit"), QStringLiteral("详细地址"), 0, 5)};
}

QList<FieldPanel::Field> businessUnit() {
    const QStringList c = Schema::businessUnitColumns();
    return {line(c[0], QStringLiteral("unitNameEdit"), QStringLiteral("单位名称"), 0, 0),
            line(c[1], QStringLiteral("accountNumberEdit"), QStringLiteral("银行帐号"), 0, 1),
            line(c[2], QStringLiteral("bankEdit"), QStringLiteral("开户银行"), 0, 2),
            line(c[3], QStringLiteral("provinceEdit"), kAddress, 0, 3, QStringLiteral("省/自治区")),
            line(c[4], QStringLiteral("cityEdit"), QString(), 0, 3, QStringLiteral("市/县")),
            line(c[5], QStringLiteral("codeEdit"), QStringLiteral("识 别 码"), 0, 4)};
}

QList<FieldPanel::Field> purpose() {
    const QStringList c = Schema::purposeColumns();
    FieldPanel::Field memo = line(c[0], QStringLiteral("purposeEditor"), QStringLiteral("用  途"), 0, 0);
    memo.kind = Kind::Memo;
    return {memo, line(c[1], QStringLiteral("codeEdit"), QStringLiteral("识别码"), 0, 1)};
}

QList<FieldPanel::Field> contact() {
    const QStringList c = Schema::contactColumns();
    FieldPanel::Field gender{c[1],       QStringLiteral("genderSelector"), QStringLiteral("姓别"), {}, 0, 1,
                             Kind::List, ContactLists::genders()};
    FieldPanel::Field ethnic{c[3],       QStringLiteral("ethnicSelector"), QStringLiteral("民族"), {}, 0, 1,
                             Kind::List, ContactLists::ethnicGroups()};
    // Left block: 姓名, 姓别 + 民族, 年龄 + 身份证号, 住宅地址, 邮政编码, 电子邮箱, 识别码; right
    // block: 公司, 部门 + 职务, 国家/地区 + 省/自治区, 市/县, 业务地址, 电话, 移动电话, 传真号.
    return {line(c[0], QStringLiteral("nameEdit"), QStringLiteral("姓名"), 0, 0),
            gender,
            line(c[2], QStringLiteral("ageEdit"), QStringLiteral("年龄"), 0, 2),
            ethnic,
            line(c[4], QStringLiteral("idNumberEdit"), QStringLiteral("身份证号"), 0, 2),
            line(c[5], QStringLiteral("companyEdit"), QStringLiteral("公司"), 1, 0),
            line(c[6], QStringLiteral("departmentEdit"), QStringLiteral("部门"), 1, 1),
            line(c[7], QStringLiteral("positionEdit"), QStringLiteral("职务"), 1, 1),
            line(c[8], QStringLiteral("countryEdit"), QStringLiteral("国家/地区"), 1, 2),
            line(c[9], QStringLiteral("postcodeEdit"), QStringLiteral("邮政编码"), 0, 4),
            line(c[10], QStringLiteral("provinceEdit"), QStringLiteral("省/自治区"), 1, 2),
            line(c[11], QStringLiteral("cityEdit"), QStringLiteral("市/县"), 1, 3),
            line(c[12], QStringLiteral("businessAddressEdit"), QStringLiteral("业务地址"), 1, 4),
            line(c[13], QStringLiteral("homeAddressEdit"), QStringLiteral("住宅地址"), 0, 3),
            line(c[14], QStringLiteral("phoneEdit"), QStringLiteral("电话"), 1, 5),
            line(c[15], QStringLiteral("mobileEdit"), QStringLiteral("移动电话"), 1, 6),
            line(c[16], QStringLiteral("faxEdit"), QStringLiteral("传真号"), 1, 7),
            line(c[17], QStringLiteral("emailEdit"), QStringLiteral("电子邮箱"), 0, 5),
            line(c[18], QStringLiteral("codeEdit"), QStringLiteral("识别码"), 0, 6)};
}

QStringList headersOf(const QList<FieldPanel::Field>& fields) {
    QStringList out;
    for (const FieldPanel::Field& f : fields) {
        if (!f.trailing.isEmpty())
            out << kAddress + QLatin1Char('(') + f.trailing + QLatin1Char(')');
        else if (f.label == QStringLiteral("详细地址"))
            out << kAddress + QStringLiteral("(详细地址)");
        else
            out << f.label;
    }
    return out;
}

} // namespace ReferenceFields
