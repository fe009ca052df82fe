#include "skin/play_marker.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace varnel {

QPixmap playMarkerPicture() {
    // Drawn at the pixels of the sharpest screen; it lays out at 9 x 15.
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap picture(QSize(9, 15) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1.5);
    arrow.lineTo(8, 7.5);
    arrow.lineTo(1, 13.5);
    arrow.closeSubpath();
    painter.fillPath(arrow, QColor(59, 137, 214));
    return picture;
}

}  // namespace varnel
