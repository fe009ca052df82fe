#include "desktop_places/journal.h"

#include <QSettings>

namespace varnel::desktop {

QList<PlaceEntry> Journal::entries(const QString& family) const {
    QSettings s(file_, QSettings::IniFormat);
    s.beginGroup(family);
    const QStringList paths = s.value(QStringLiteral("paths")).toStringList();
    const QStringList labels = s.value(QStringLiteral("labels")).toStringList();
    QList<PlaceEntry> out;
    for (qsizetype i = 0; i < paths.size(); ++i) out.append({paths[i], i < labels.size() ? labels[i] : QString()});
    return out;
}

void Journal::setEntries(const QString& family, const QList<PlaceEntry>& entries) {
    QStringList paths, labels;
    for (const PlaceEntry& e : entries) {
        paths.append(e.path);
        labels.append(e.label);
    }
    QSettings s(file_, QSettings::IniFormat);
    s.beginGroup(family);
    if (entries.isEmpty()) {
        s.remove(QStringLiteral("paths"));
        s.remove(QStringLiteral("labels"));
    } else {
        s.setValue(QStringLiteral("paths"), paths);
        s.setValue(QStringLiteral("labels"), labels);
    }
    s.endGroup();
    s.sync();
}

QString Journal::value(const QString& family, const QString& key) const {
    QSettings s(file_, QSettings::IniFormat);
    return s.value(family + QLatin1Char('/') + key).toString();
}

void Journal::setValue(const QString& family, const QString& key, const QString& value) {
    QSettings s(file_, QSettings::IniFormat);
    if (value.isEmpty()) s.remove(family + QLatin1Char('/') + key);
    else s.setValue(family + QLatin1Char('/') + key, value);
    s.sync();
}

}  // namespace varnel::desktop
