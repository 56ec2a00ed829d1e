#pragma once

#include <QString>

// One bill of the master control table "主控".
struct MainItemFlag {
    int typeIndex = 0;    // "票据类型"
    QString billName;     // "票据名称"
    QString typeTable;    // "类型设置名": page parameters, H<n>Type
    QString itemTable;    // "基本设置名": items, H<n>Item
    QString historyTable; // "历史文件名": print history, H<n>His
    QString preBillTable; // "预开票名": pre-bills, H<n>Bef
    QString autoTable;    // "自动计数名": automatic numbers, H<n>Auto
    QString picturePath;  // filled only while a backup is imported
};
