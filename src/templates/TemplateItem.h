#pragma once

#include "templates/ItemType.h"
#include "templates/PixelRect.h"

#include <QString>
#include <QtGlobal>

// One item of a template: a rectangle on the form into which one value is printed. Lengths are
// in tenths of a millimetre. The field order follows the columns of the item table.
struct TemplateItem {
    bool used = false; // the slot of the template's item array holds an item
    int key = -1;      // "BillItemNum" of its table row; -1 while the item has no row

    QString name;                   // 设置项目名称, unique within the template
    qint32 left = 0;                // 横向位置
    qint32 top = 0;                 // 纵向位置
    qint32 width = 0;               // 宽度
    qint32 height = 0;              // 高度
    QString font;                   // 字体, font text such as "宋体-9"
    quint16 spacing = 0;            // 字间距: extra space after every character
    quint8 alignment = 0;           // 打印对齐, see TextAlignment
    bool printed = false;           // 是否打印
    ItemType type = ItemType::Text; // 设置项类型
    bool showInput = false;         // 是否显示输入: an input field of the bill filling window
    QString calcMethod;             // 计算方法
    QString relation;               // 设置项关系
    quint8 interlockGroup = 0;      // 互锁组
    bool showTitle = false;         // 显示标题
    bool printSuffix = false;       // 打印后缀: date parts followed by 年, 月, 日 (时, 分)
    bool query = false;             // 查询: kept as a column of the print history
    bool statistics = false;        // 统计: summed in the print history query

    // Computed by the rendering engine for one resolution; never stored.
    PixelRect box;      // the frame around the item, also used for mouse hits
    PixelRect textRect; // where the value is drawn

    // A new item as the designer adds it; position and size are left to the caller.
    static TemplateItem newItem(const QString& name);

    // A free slot of the item array.
    void clear() { *this = TemplateItem(); }
};
