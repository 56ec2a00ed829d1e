#pragma once

#include "templates/PixelRect.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

class BillTemplate;
struct TemplateItem;

// Editing a template on its picture with the mouse: picking items, moving and resizing the
// selected one by its frame and eight handles, and choosing several with a rubber band. All
// coordinates are pixels of the picture (origin at the bill's top-left corner).
namespace CanvasEditing {

// Where the pointer is relative to the selected frame.
enum class Handle {
    Outside = 0,
    TopLeft = 1,
    BottomRight = 2,
    TopRight = 3,
    BottomLeft = 4,
    Left = 5,
    Right = 6,
    Top = 7,
    Bottom = 8,
    Inside = 9,
};

// Frames narrower or lower than this are not made by dragging.
constexpr int MinimumSize = 16;

// The handle under the point: corners first, then the middles of the edges, then the inside. A
// point counts as near an edge within 8 pixels, or 4 when the frame is smaller than 18 pixels.
Handle handleAt(const PixelRect& frame, const QPoint& p);

// Smaller coordinates first.
PixelRect normalised(const PixelRect& r);

// The frame moved to a new top-left corner, kept inside an image of the given size.
PixelRect movedWithin(const PixelRect& r, const QPoint& topLeft, const QSize& image);

// While dragging a handle: the edges it holds follow the pointer, each only while it stays more
// than MinimumSize pixels away from the opposite edge.
void dragHandle(PixelRect& r, Handle h, const QPoint& p);

// The frame when the button is released at p: a move ends where the pointer puts it (grab is the
// pointer's offset from the frame's top-left corner at the press); a resize puts the handle's
// edge at the pointer, swaps the edges when the pointer crossed the opposite one, and keeps the
// frame at least MinimumSize pixels wide or high.
PixelRect finishDrag(PixelRect r, Handle h, const QPoint& p, const QPoint& grab, const QSize& image);

// No edge beyond the image's right or bottom edge. (A frame may stand out left of or above the
// picture by its preview margin; writeBackFrame refuses an item that would start off the bill.)
bool insideImage(const PixelRect& r, const QSize& image);

// Both intervals share at least one point on each axis (touching edges or corners count).
bool overlaps(const PixelRect& a, const PixelRect& b);

// Items are picked by the frames their preview drew; an item shown neither for printing nor for
// input is not drawn and cannot be picked on the picture.
bool isDrawn(const TemplateItem& item);
// The last drawn item whose frame contains the point (edges included), or -1.
int itemAt(const BillTemplate& tpl, const QPoint& p);
// Indexes of the drawn items whose frames overlap the band, in array order.
QList<int> itemsTouching(const BillTemplate& tpl, const PixelRect& band);

// Writes a dragged frame back into the item in tenths of a millimetre, rounded up. The handle
// decides which values may change (a move only the position, a side only its edge and size); a
// value whose pixel edge did not move keeps its stored tenths, so that a click without a drag
// changes nothing. The frame is the drawn one, the preview margin included; an item that would
// start left of or above the bill is not changed. Returns whether a value changed.
bool writeBackFrame(TemplateItem& item, const PixelRect& frame, Handle h, int dpi);

// The numbers typed into an item's parameter grid.
enum class Field { Left, Top, Width, Height, Spacing };
// Sets a typed position, size or spacing (tenths of a millimetre). A value that would put the
// item's frame beyond the picture's right or bottom edge is not taken. Returns whether it was taken.
bool setFieldWithin(TemplateItem& item, Field field, int value, const QSize& image, int dpi);

// What the group dialog decided for the items a rubber band touched.
struct GroupChange {
    enum Action { Change, Copy, Delete };
    Action action = Change;
    // One text per row of the group dialog: 横向位置, 纵向位置, 宽度, 高度, 字体, 字间距 and
    // 打印对齐 (its index in decimal). An empty text leaves that parameter as it is.
    QStringList values;
};

struct GroupResult {
    QList<int> changed; // items whose parameters were set
    int copied = 0;     // copies appended
    int notCopied = 0;  // copies refused because the template is full
    int deleted = 0;    // items removed
};

// The name of a copy: "复件" before the name; when that is taken already, "复件(2)", "复件(3)"
// and so on, as item names must stay unique.
QString copyName(const BillTemplate& tpl, const QString& name);

// Applies the group dialog's decision to every item whose frame overlaps the band: sets the
// filled-in parameters, appends copies 1 mm right of and below the originals (as many as the
// template has room for), or removes the items.
GroupResult applyGroupChange(BillTemplate& tpl, const PixelRect& band, const GroupChange& change);

} // namespace CanvasEditing
