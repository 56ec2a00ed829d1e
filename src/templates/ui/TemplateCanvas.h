#pragma once

#include "templates/CanvasEditing.h"
#include "templates/PixelRect.h"

#include <QImage>
#include <QWidget>

class BillTemplate;

// The picture of a bill with its items drawn over the scanned form. The operator picks an item by
// clicking it, moves it by dragging, and resizes it by one of the eight handles of its frame; the
// result is written back into the item. The designer also draws rubber bands over several items
// for the group dialog; the position adjustment does not.
class TemplateCanvas : public QWidget {
    Q_OBJECT
public:
    struct Options {
        // A press on the empty picture clears the selection and starts a rubber band.
        bool rubberBand = true;
        // Every mouse button picks and drags (otherwise the right button is ignored).
        bool anyButton = false;
    };

    // The template stays the window's; the canvas draws and edits its items.
    TemplateCanvas(BillTemplate& tpl, Options options, QWidget* parent = nullptr);

    // Screen pixels per inch on both axes, for the picture and the items.
    int dpi() const { return m_dpi; }

    void setBackground(const QImage& background);
    const QImage& background() const { return m_background; }
    QSize imageSize() const { return m_background.size(); }
    // The background with the items drawn over it (without the selection).
    const QImage& picture() const { return m_picture; }

    // Lays out and draws every item again, then shows the selection. An item whose font text cannot
    // be read is drawn as its frame only; drawingError() tells why.
    void redraw();
    QString drawingError() const { return m_drawingError; }
    // Shows the item as selected (from the name list); -1 shows none.
    void selectItem(int index);
    // Hides the selection without forgetting which item the window has selected.
    void hideSelection();
    int selectedIndex() const { return m_selected; }
    bool selectionShown() const { return m_shown && m_selected >= 0; }
    // The frame of the selected item as shown.
    PixelRect selectedFrame() const { return m_frame; }
    CanvasEditing::Handle handle() const { return m_code; }

    void pressAt(Qt::MouseButton button, const QPoint& p);
    void dragTo(const QPoint& p);
    void releaseAt(Qt::MouseButton button, const QPoint& p);

signals:
    // Every press, before anything else: windows close their cell editors.
    void pressed();
    // An item was picked on the picture.
    void itemPicked(int index);
    // A drag changed the item's position or size.
    void itemMoved(int index);
    // A rubber band was released over at least one item.
    void bandReleased(const PixelRect& band);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool ignores(Qt::MouseButton button) const;
    void updateCursor();

    BillTemplate& m_tpl;
    Options m_options;
    int m_dpi = 96;
    QImage m_background;
    QImage m_picture;
    QString m_drawingError;
    int m_selected = -1;
    bool m_shown = false;
    PixelRect m_frame{-100, -100, -100, -100};
    PixelRect m_work{-100, -100, -100, -100};
    CanvasEditing::Handle m_code = CanvasEditing::Handle::Outside;
    bool m_dragging = false;
    QPoint m_grab;
    bool m_banding = false;
    PixelRect m_band;
};
