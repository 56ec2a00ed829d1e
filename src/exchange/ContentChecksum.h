#pragma once

#include <QByteArray>

#define XXH_INLINE_ALL
#include <xxhash.h>

// A running checksum of bytes, the same however they are split up: a backup sums what it writes
// and compares that with the sum of the file read back.
class ContentChecksum {
public:
    ContentChecksum() { XXH3_64bits_reset(&m_state); }
    void add(const char* data, qsizetype length) { XXH3_64bits_update(&m_state, data, size_t(length)); }
    void add(const QByteArray& bytes) { add(bytes.constData(), bytes.size()); }
    quint64 value() const { return XXH3_64bits_digest(&m_state); }

private:
    XXH3_state_t m_state;
};
