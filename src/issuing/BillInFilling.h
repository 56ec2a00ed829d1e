#pragma once

#include "issuing/BillPicture.h"
#include "issuing/FilledBill.h"
#include "store/MainItemFlag.h"

#include <QStringList>

// The bill the filling window works on, shared by the window's parts (the editors over the
// picture, the pre-bill list, the print commands): its tables, the values as filled, the picture
// they are drawn on and the currency they are shown in.
struct BillInFilling {
    MainItemFlag entry;
    QStringList typeNames; // the bill type names, for captions
    FilledBill bill;
    BillPicture picture;
    int currency = 0;
    int screenDpi = 96; // the resolution the items' boxes were taken at

    bool currencyShown() const { return bill.page.currencyChoice; }
};
