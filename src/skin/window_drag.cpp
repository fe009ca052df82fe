#include "skin/window_drag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace varnel {

namespace {

// Hands the press to the window system's own move loop; where the platform
// refuses (no window manager, some Wayland compositors, offscreen) the
// window follows the mouse until the button is released.
class WindowDrag : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* surface = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* press = static_cast<QMouseEvent*>(event);
            QWidget* window = surface->window();
            QWindow* handle = window->windowHandle();
            following_ = !(handle && handle->startSystemMove());
            if (following_) grabOffset_ = press->globalPosition().toPoint() - window->pos();
            break;
        }
        case QEvent::MouseMove:
            if (following_) {
                auto* move = static_cast<QMouseEvent*>(event);
                if (move->buttons() == Qt::NoButton) {
                    following_ = false;
                } else {
                    surface->window()->move(move->globalPosition().toPoint() - grabOffset_);
                }
            }
            break;
        case QEvent::MouseButtonRelease:
            following_ = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool following_ = false;
    QPoint grabOffset_;
};

}  // namespace

void makeDragSurface(QWidget* surface) {
    if (surface->findChild<WindowDrag*>(QString(), Qt::FindDirectChildrenOnly)) return;
    surface->installEventFilter(new WindowDrag(surface));
}

}  // namespace varnel
