#pragma once

#include <QByteArray>
#include <QString>

// A private application folder for one fuzzing process, with both databases created, and a file
// in it that each input is written to.
namespace FuzzEnvironment {
void init();
// Writes the input to the scratch file and returns its path.
QString writeInput(const uint8_t* data, size_t size);
} // namespace FuzzEnvironment
