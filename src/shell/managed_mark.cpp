#include "shell/managed_mark.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include "lang/text_table.h"

namespace varnel {

QIcon lockIcon(const QColor& ink) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        // The shackle, then the body over its feet.
        painter.setPen(QPen(ink, 1.6 * unit));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(4.5 * unit, 1.5 * unit, 7 * unit, 9 * unit), 3.5 * unit, 3.5 * unit);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawRoundedRect(QRectF(2.5 * unit, 7 * unit, 11 * unit, 8 * unit), 1.5 * unit, 1.5 * unit);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void markManaged(QAction* action, bool managed) {
    QString text = action->text();
    const int tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) text.truncate(tab);
    // After a tab, a menu shows the word at the item's right edge.
    if (managed) text += QLatin1Char('\t') + QString::fromStdString(Texts.Managed);
    action->setText(text);
    action->setIcon(managed ? lockIcon(QApplication::palette().color(QPalette::WindowText)) : QIcon());
}

}  // namespace varnel
