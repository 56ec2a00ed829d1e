#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh application folder for one test: the store and definition database are created in it,
// settings point at its own file, and the calling thread's connections are reopened there.
class TempAppFolder {
public:
    TempAppFolder();
    ~TempAppFolder();
    QString path() const;
    // Path of a file below the folder.
    QString file(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// Data file path below tests/data.
QString testData(const QString& relative);
