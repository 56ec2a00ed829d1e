#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <atomic>

// A system backup file: the tag "B0.002", the length of the database image (unsigned 32-bit,
// little endian), the image, then one picture record per master-control row of the image (length,
// then the picture's bytes). A file without the tag is an old backup: all of it is the image, and
// the pictures lie inside the bills' page-parameter tables.
//
// The file is untrusted: every length is checked against the file size before anything is read,
// and a damaged file is reported by a std::runtime_error with a message for the operator.
class BackupFile {
public:
    enum class Format { Current, Legacy };

    static QByteArray versionTag();
    static QByteArray encodeLength(quint32 length);
    // Copies length bytes from one offset of a file to another offset of a file, inside the kernel
    // where the files allow it; neither file's position moves, so several threads may copy into
    // one file at once. Throws when either side fails or from ends early.
    static void copyRange(const QFileDevice& from, qint64 fromOffset, QFileDevice& to, qint64 toOffset,
                          qint64 length);
    // Writes length bytes at an offset of the file without moving its position; throws on failure.
    static void writeAt(QFileDevice& to, qint64 offset, const char* data, qint64 length);
    // Throws a std::runtime_error carrying the message (UTF-8).
    [[noreturn]] static void fail(const QString& message);

    explicit BackupFile(const QString& path);

    Format format() const { return m_format; }
    qint64 size() const { return m_size; }
    qint64 databaseLength() const { return m_dbLength; }

    // Writes the database image into target (created or truncated).
    void extractDatabase(const QString& target);
    // Reads the picture records of count master-control rows; they must fill the rest of the
    // file exactly. An old backup has none.
    void indexPictures(int count);
    qsizetype pictureCount() const { return m_pictures.size(); }
    qint64 pictureLength(int index) const;
    // Writes one picture into target (created or truncated); returns false for an empty record.
    bool extractPicture(int index, const QString& target);
    // Writes picture i into targets[i] for every i with a target, on two threads; the file's
    // position is left alone. Throws on the first picture that cannot be written. Once stop is
    // set, no further picture is begun.
    void extractPictures(const QStringList& targets, const std::atomic_bool* stop = nullptr);

private:
    struct Record {
        qint64 offset = 0;
        qint64 length = 0;
    };
    [[noreturn]] void damaged(const QString& detail) const;
    quint32 readLength(qint64 offset);
    // One picture from its offset in the file, without moving the file's position.
    void writePictureAt(int index, const QString& target) const;

    QFile m_file;
    qint64 m_size = 0;
    Format m_format = Format::Legacy;
    qint64 m_dbOffset = 0;
    qint64 m_dbLength = 0;
    QList<Record> m_pictures;
};
