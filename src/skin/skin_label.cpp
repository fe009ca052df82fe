#include "skin/skin_label.h"

#include <QMouseEvent>
#include <QPointer>

namespace varnel {

int mouseButtonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int shiftStateCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier) code |= 1;
    if (modifiers & Qt::ControlModifier) code |= 2;
    if (modifiers & Qt::AltModifier) code |= 4;
    return code;
}

SkinLabel::SkinLabel(QWidget* parent) : QLabel(parent) {}

void SkinLabel::setReactsToMouse(bool reacts) { reacts_ = reacts; }

void SkinLabel::mousePressEvent(QMouseEvent* event) {
    if (!reacts_) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    const QPointF at = event->position();
    emit mousePressed(mouseButtonCode(event->button()), shiftStateCode(event->modifiers()), float(at.x()), float(at.y()));
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (!reacts_) {
        event->ignore();
        return;
    }
    event->accept();
    const QPointF at = event->position();
    const bool click = event->button() == Qt::LeftButton && leftDown_ && rect().contains(at.toPoint());
    if (event->button() == Qt::LeftButton) leftDown_ = false;
    QPointer<SkinLabel> self(this);
    emit mouseReleased(mouseButtonCode(event->button()), shiftStateCode(event->modifiers()), float(at.x()), float(at.y()));
    // A MouseUp handler may have destroyed the label's window.
    if (click && self) emit clicked();
}

}  // namespace varnel
