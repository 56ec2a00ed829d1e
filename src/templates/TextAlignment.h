#pragma once

#include <QString>
#include <QStringList>

// The nine alignments of an item's text inside its box (stored as "打印对齐", 0 to 8).
namespace TextAlignment {

constexpr int Count = 9;

enum class Horizontal { Centre, Left, Right, None };
enum class Vertical { Centre, Top, Bottom, None };

// "居中", "向左", "向右", "向上", "向下", "左上角", "右上角", "左下角", "右下角".
QStringList texts();
QString text(int alignment);

// An out-of-range alignment places nothing: the text keeps the whole box.
Horizontal horizontal(int alignment);
Vertical vertical(int alignment);

// Pixels by which a character is moved right inside its advance: half the spacing when centred,
// the whole spacing when right-aligned, so that the spacing falls where the alignment wants it.
int indent(int alignment, double spacing);

} // namespace TextAlignment
