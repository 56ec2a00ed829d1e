#include "templates/TemplateItem.h"

TemplateItem TemplateItem::newItem(const QString& name) {
    TemplateItem item;
    item.used = true;
    item.key = -1;
    item.name = name;
    item.font = QStringLiteral("宋体-9");
    item.spacing = 0;
    item.alignment = 0;
    item.printed = true;
    item.type = ItemType::Text;
    item.showInput = true;
    item.interlockGroup = 0;
    item.showTitle = false;
    item.printSuffix = false;
    item.query = true;
    item.statistics = false;
    return item;
}
