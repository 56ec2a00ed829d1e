#include "platform/ui/MinimizeFollow.h"

#include <QEvent>
#include <QWidget>

void followMinimizedState(QWidget* window, QEvent* event) {
    if (event->type() != QEvent::WindowStateChange || !window->parentWidget())
        return;
    QWidget* main = window->parentWidget()->window();
    if (window->isMinimized())
        main->hide();
    else if (main->isHidden())
        main->show();
}
