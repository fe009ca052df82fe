#pragma once
// Frameless windows have no title bar to grab: pressing any mouse button on a
// drag surface (skin picture, title, message) moves the whole window.

class QWidget;

namespace varnel {

// Makes `surface` a drag surface of its top-level window. The surface's own
// mouse handling still runs after the drag has started.
void makeDragSurface(QWidget* surface);

}  // namespace varnel
