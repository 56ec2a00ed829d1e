#include "reference/RecordFilter.h"

namespace {
// A text occurs in another; an empty text occurs nowhere.
bool occursIn(const QString& text, const QString& stored) {
    return !text.isEmpty() && stored.contains(text, Qt::CaseSensitive);
}
} // namespace

void RecordFilter::add(int column, const QString& text, Test test) {
    m_conditions.append({column, text, test});
}

bool RecordFilter::accepts(const QStringList& record) const {
    for (const Condition& c : m_conditions) {
        const QString stored = record.value(c.column);
        switch (c.test) {
        case Test::SkipEmptyStored:
            if (!stored.isEmpty() && !c.text.isEmpty() && !occursIn(c.text, stored))
                return false;
            break;
        case Test::Strict:
            if (!c.text.isEmpty() && !occursIn(c.text, stored))
                return false;
            break;
        case Test::Always:
            if (!occursIn(c.text, stored))
                return false;
            break;
        }
    }
    return true;
}

RecordFilter RecordFilter::forAll(const QStringList& texts, Test test) {
    RecordFilter f;
    for (int c = 0; c < texts.size(); ++c)
        f.add(c, texts.at(c), test);
    return f;
}

RecordFilter RecordFilter::contacts(const QStringList& texts) {
    RecordFilter f;
    for (int c = 0; c < texts.size(); ++c)
        f.add(c, texts.at(c), c == 1 || c == 3 ? Test::Always : Test::Strict);
    return f;
}
