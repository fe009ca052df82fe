#include "skin/play_marker.h"

#include <QPainter>
#include <QPainterPath>

namespace varnel {

QPixmap playMarkerPicture() {
    QPixmap picture(9, 15);
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
