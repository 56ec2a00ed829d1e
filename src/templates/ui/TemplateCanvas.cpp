#include "templates/ui/TemplateCanvas.h"

#include "templates/Background.h"
#include "templates/BillTemplate.h"
#include "templates/RenderEngine.h"
#include "templates/TemplateError.h"

#include <QMouseEvent>
#include <QPainter>

using CanvasEditing::Handle;

namespace {
const PixelRect kNoFrame{-100, -100, -100, -100};
const QColor kBlue(0, 0, 255);

Qt::CursorShape cursorFor(Handle h) {
    switch (h) {
    case Handle::TopLeft:
    case Handle::BottomRight:
        return Qt::SizeFDiagCursor;
    case Handle::TopRight:
    case Handle::BottomLeft:
        return Qt::SizeBDiagCursor;
    case Handle::Left:
    case Handle::Right:
        return Qt::SizeHorCursor;
    case Handle::Top:
    case Handle::Bottom:
        return Qt::SizeVerCursor;
    case Handle::Inside:
        return Qt::SizeAllCursor;
    case Handle::Outside:
        break;
    }
    return Qt::ArrowCursor;
}
} // namespace

TemplateCanvas::TemplateCanvas(BillTemplate& tpl, Options options, QWidget* parent)
    : QWidget(parent), m_tpl(tpl), m_options(options) {
    setObjectName(QStringLiteral("canvas"));
    setMouseTracking(true);
    m_dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    setBackground(QImage());
}

void TemplateCanvas::setBackground(const QImage& background) {
    m_background = background.isNull() ? QImage(1, 1, QImage::Format_RGB32) : background;
    if (background.isNull())
        m_background.fill(Qt::white);
    setImageDpi(m_background, m_dpi);
    setFixedSize(m_background.size());
}

void TemplateCanvas::redraw() {
    m_picture = m_background.convertToFormat(QImage::Format_RGB32);
    setImageDpi(m_picture, m_dpi);
    m_drawingError.clear();
    {
        QPainter painter(&m_picture);
        for (int i = 0; i < m_tpl.count(); ++i) {
            TemplateItem& item = m_tpl.items[i];
            // Not drawn, the frame still shows where the item is when it is chosen in the list.
            item.box = previewFrame(item, m_dpi);
            if (!CanvasEditing::isDrawn(item))
                continue;
            try {
                PreviewItem(item, painter, m_dpi);
            } catch (const TemplateError& e) {
                if (m_drawingError.isEmpty())
                    m_drawingError = item.name + QStringLiteral("：") + e.message();
                painter.setPen(QPen(item.printed ? QColor(255, 0, 0) : QColor(0, 255, 0), 1));
                painter.drawRect(item.box.toQRect());
            }
        }
    }
    if (m_selected >= m_tpl.count())
        m_selected = -1;
    if (m_selected >= 0 && m_shown) {
        m_frame = m_tpl.items[m_selected].box;
        m_work = m_frame;
    }
    update();
}

void TemplateCanvas::selectItem(int index) {
    m_selected = index >= 0 && index < m_tpl.count() ? index : -1;
    m_shown = m_selected >= 0;
    m_frame = m_shown ? m_tpl.items[m_selected].box : kNoFrame;
    m_work = m_frame;
    m_dragging = false;
    update();
}

void TemplateCanvas::hideSelection() {
    m_shown = false;
    m_frame = kNoFrame;
    m_work = kNoFrame;
    update();
}

bool TemplateCanvas::ignores(Qt::MouseButton button) const {
    return button == Qt::RightButton && !m_options.anyButton;
}

void TemplateCanvas::pressAt(Qt::MouseButton button, const QPoint& p) {
    emit pressed();
    if (ignores(button))
        return;
    // The handle under the pointer, as hovering over the selected frame finds it.
    m_code = selectionShown() ? CanvasEditing::handleAt(m_work, p) : Handle::Outside;
    if (m_code == Handle::Outside) {
        const int hit = CanvasEditing::itemAt(m_tpl, p);
        if (hit < 0) {
            if (!m_options.rubberBand)
                return;
            hideSelection();
            m_band = {p.x(), p.y(), p.x(), p.y()};
            m_banding = true;
            update();
            return;
        }
        selectItem(hit);
        emit itemPicked(hit);
        // A press on an item that was not hovered first always moves it.
        m_code = Handle::Inside;
    }
    m_grab = p - QPoint(m_work.left, m_work.top);
    m_dragging = true;
    update();
}

void TemplateCanvas::dragTo(const QPoint& p) {
    if (m_dragging) {
        if (m_code == Handle::Inside)
            m_work = CanvasEditing::movedWithin(m_work, p - m_grab, imageSize());
        else
            CanvasEditing::dragHandle(m_work, m_code, p);
        update();
        return;
    }
    if (m_banding) {
        m_band.right = p.x();
        m_band.bottom = p.y();
        update();
        return;
    }
    if (selectionShown()) {
        m_code = CanvasEditing::handleAt(m_work, p);
        updateCursor();
    }
}

void TemplateCanvas::releaseAt(Qt::MouseButton button, const QPoint& p) {
    if (ignores(button))
        return;
    if (m_banding) {
        m_banding = false;
        const PixelRect band = CanvasEditing::normalised(m_band);
        update();
        if (!CanvasEditing::itemsTouching(m_tpl, band).isEmpty())
            emit bandReleased(band);
        return;
    }
    if (!m_dragging)
        return;
    m_dragging = false;
    const PixelRect f = CanvasEditing::finishDrag(m_work, m_code, p, m_grab, imageSize());
    bool changed = false;
    if (m_selected >= 0 && CanvasEditing::insideImage(f, imageSize()))
        changed = CanvasEditing::writeBackFrame(m_tpl.items[m_selected], f, m_code, m_dpi);
    redraw();
    if (changed)
        emit itemMoved(m_selected);
}

void TemplateCanvas::updateCursor() {
    setCursor(cursorFor(m_code));
}

void TemplateCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_picture.isNull() ? m_background : m_picture);
    if (selectionShown()) {
        const PixelRect& f = m_frame;
        p.setPen(QPen(kBlue, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(QPoint(f.left, f.top), QPoint(f.right, f.bottom)));
        const int mx = f.left + (f.right - f.left) / 2;
        const int my = f.top + (f.bottom - f.top) / 2;
        const QPoint points[] = {{f.left, f.top}, {f.right, f.top}, {f.left, f.bottom}, {f.right, f.bottom},
                                 {mx, f.top},     {mx, f.bottom},   {f.left, my},       {f.right, my}};
        for (const QPoint& pt : points)
            p.fillRect(QRect(pt - QPoint(3, 3), pt + QPoint(3, 3)), kBlue);
    }
    // The rectangle being dragged, dotted, within the picture.
    if (m_dragging || m_banding) {
        PixelRect r = CanvasEditing::normalised(m_dragging ? m_work : m_band);
        r.right = std::min(r.right, width() - 2);
        r.bottom = std::min(r.bottom, height() - 2);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
    }
}

void TemplateCanvas::mousePressEvent(QMouseEvent* event) {
    pressAt(event->button(), event->position().toPoint());
}

void TemplateCanvas::mouseMoveEvent(QMouseEvent* event) {
    dragTo(event->position().toPoint());
}

void TemplateCanvas::mouseReleaseEvent(QMouseEvent* event) {
    releaseAt(event->button(), event->position().toPoint());
}
