#pragma once

#include "store/MainItemFlag.h"

#include <QStringList>

// The bill the batch printing tests print: a 进帐单 "工行进帐单" with 金额 (counted), 收款人
// (a business unit) and the automatic number 编号 starting at 0100, and the business unit 甲公司
// with the code a01. The working template holds the bill afterwards.
MainItemFlag addBatchFixtureBill();

// The 编号 of the bill's history rows in the order they were written.
QStringList historyNumbers(const MainItemFlag& entry);
