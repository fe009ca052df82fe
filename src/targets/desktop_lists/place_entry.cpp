#include "targets/desktop_lists/place_entry.h"

#include <QDir>
#include <QFileInfo>

#include "targets/place_name.h"

namespace varnel::desktop {

QList<PlaceEntry> placeEntries(const std::array<std::string, 5>& places) {
    QList<PlaceEntry> entries;
    for (const std::string& place : places) {
        const QString text = QString::fromStdString(place);
        if (text.isEmpty() || !QDir::isAbsolutePath(text)) continue;
        const QString path = QDir::cleanPath(text);
        bool seen = false;
        for (const PlaceEntry& e : entries) seen = seen || samePath(e.path, path);
        if (seen) continue;
        QString label = QString::fromStdString(placeDisplayName(place));
        if (label.isEmpty()) label = QFileInfo(path).fileName();
        if (label.isEmpty()) label = path;
        entries.append({path, label});
    }
    return entries;
}

bool samePath(const QString& a, const QString& b) { return QDir::cleanPath(a) == QDir::cleanPath(b); }

QList<PlaceEntry> united(QList<PlaceEntry> a, const QList<PlaceEntry>& b) {
    for (const PlaceEntry& e : b)
        if (!a.contains(e)) a.append(e);
    return a;
}

}  // namespace varnel::desktop
