#include "platform/ui/MinimizeFollow.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// Hides the main window once the window manager has really taken the minimised window off the
// screen. Where nobody carries out the minimising (no window manager), both windows stay where
// they are, so that closing the window never leaves an empty screen.
class OffScreenWatch : public QObject {
public:
    OffScreenWatch(QWidget* window, QWindow* handle) : QObject(window), m_window(window) {
        setObjectName(QStringLiteral("minimizeWatch"));
        handle->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && m_window && m_window->isMinimized() &&
            !static_cast<QWindow*>(watched)->isExposed() && m_window->parentWidget())
            m_window->parentWidget()->window()->hide();
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

void followMinimizedState(QWidget* window, QEvent* event) {
    if (event->type() != QEvent::WindowStateChange || !window->parentWidget())
        return;
    QWidget* main = window->parentWidget()->window();
    if (window->isMinimized()) {
        QWindow* handle = window->windowHandle();
        if (!handle || !handle->isExposed()) {
            main->hide();
            return;
        }
        if (!window->findChild<OffScreenWatch*>(QStringLiteral("minimizeWatch"), Qt::FindDirectChildrenOnly))
            new OffScreenWatch(window, handle);
    } else if (main->isHidden()) {
        main->show();
    }
}
