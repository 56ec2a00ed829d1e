#pragma once

#include "store/StoreError.h"

// The table no longer holds, at a listed position, the record the window listed there (another
// action added or removed records under the grid). Nothing was changed; the window rereads the table.
class TableChangedError : public StoreError {
public:
    explicit TableChangedError(const QString& table)
        : StoreError(
              QStringLiteral("数据表“%1”已被改变，列表中的记录与数据表不一致，本次操作没有修改任何记录。"
                             "列表将重新读取。")
                  .arg(table)) {}
};
