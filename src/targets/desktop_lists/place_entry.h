#pragma once
// One place as the desktop's lists hold it: a folder and the caption shown for it.

#include <QList>
#include <QString>
#include <array>
#include <string>

namespace varnel::desktop {

struct PlaceEntry {
    QString path;   // absolute, cleaned
    QString label;  // the place display name; may be empty
    bool operator==(const PlaceEntry&) const = default;
};

// The group's places as entries: empty and relative places skipped, each
// folder once, labelled with its display name.
QList<PlaceEntry> placeEntries(const std::array<std::string, 5>& places);

// `a` and then those of `b` that it does not hold.
QList<PlaceEntry> united(QList<PlaceEntry> a, const QList<PlaceEntry>& b);

// Whether two paths name the same folder as the lists spell them.
bool samePath(const QString& a, const QString& b);

}  // namespace varnel::desktop
