#include "reference/RecordValues.h"

#include <algorithm>

namespace RecordValues {

void store(QStringList& values, const QStringList& texts) {
    const qsizetype size = std::max<qsizetype>(kSlots, texts.size());
    while (values.size() < size)
        values.append(QString());
    for (qsizetype i = 0; i < texts.size(); ++i)
        values[i] = texts.at(i);
}

} // namespace RecordValues
