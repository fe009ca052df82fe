#include "skin/readable_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>

namespace varnel {

void useReadableInterfaceFont() {
    if (QGuiApplication::platformName() != QLatin1String("windows")) return;
    QFont font = QApplication::font();
    if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) == 0) return;
    const QStringList installed = QFontDatabase::families();
    for (const char* face : {"Segoe UI", "Tahoma", "Arial", "Liberation Sans", "DejaVu Sans"}) {
        const QString name = QString::fromLatin1(face);
        if (!installed.contains(name, Qt::CaseInsensitive)) continue;
        font.setFamily(name);
        QApplication::setFont(font);
        return;
    }
}

}  // namespace varnel
