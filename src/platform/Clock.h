#pragma once

#include <QDateTime>

// The one source of "now": default dates, print dates and history records read it, so tests can
// fix today.
namespace Clock {

QDateTime now();
inline QDate today() {
    return now().date();
}

// Fixes the clock at the given moment; an invalid value lets it run with the system time again.
void setFixed(const QDateTime& moment);

} // namespace Clock
