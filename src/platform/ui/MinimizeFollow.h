#pragma once

class QEvent;
class QWidget;

// Called from a modal window's changeEvent(): minimising it takes the main window out of the way
// too, restoring it brings the main window back. The main window goes only when the window
// manager has really taken the window off the screen; a minimising that no window manager carries
// out (a desktop without one) leaves both windows shown.
void followMinimizedState(QWidget* window, QEvent* event);
