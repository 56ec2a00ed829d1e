#pragma once

class QEvent;
class QWidget;

// Called from a modal window's changeEvent(): minimising it takes the main window out of the way
// too, restoring it brings the main window back.
void followMinimizedState(QWidget* window, QEvent* event);
