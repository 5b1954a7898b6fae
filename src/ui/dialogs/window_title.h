#pragma once

class QWidget;

namespace sorvane {

// Keeps the window system's title of `window` exactly its window title. Qt
// puts the application's name in place of an empty title; on X11 this writes
// the empty title to the window itself whenever Qt sets one. Elsewhere it does
// nothing.
void keepEmptyWindowTitle(QWidget *window);

} // namespace sorvane
