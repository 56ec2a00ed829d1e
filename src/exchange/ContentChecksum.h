#pragma once

#include <QByteArray>

#include <xxhash.h>

#include <memory>
#include <new>

// A running checksum of bytes, the same however they are split up: a backup sums what it writes
// and compares that with the sum of the file read back. The hashing runs in the optimised shared
// library, whatever this program's build type.
class ContentChecksum {
public:
    ContentChecksum() : m_state(XXH3_createState(), &XXH3_freeState) {
        if (!m_state)
            throw std::bad_alloc();
        XXH3_64bits_reset(m_state.get());
    }
    void add(const char* data, qsizetype length) { XXH3_64bits_update(m_state.get(), data, size_t(length)); }
    void add(const QByteArray& bytes) { add(bytes.constData(), bytes.size()); }
    quint64 value() const { return XXH3_64bits_digest(m_state.get()); }

private:
    std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> m_state;
};
