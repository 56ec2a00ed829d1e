#pragma once

#include <QStringList>

// Maps the Windows face names that templates carry (宋体, 黑体, 楷体, ...) to installed CJK families.
namespace Fonts {
void installSubstitutions();
// The face names a template may carry and that installSubstitutions() maps, Chinese names first.
QStringList substitutedFaces();
} // namespace Fonts
