#pragma once
// Our record of what we added to each desktop list, kept in
// $XDG_STATE_HOME/Varnel/ and written before a list changes, so that a
// program that was killed can be cleaned up after at the next start.

#include <QString>

#include "desktop_places/place_entry.h"

namespace varnel::desktop {

class Journal {
public:
    explicit Journal(QString file) : file_(std::move(file)) {}

    QList<PlaceEntry> entries(const QString& family) const;
    void setEntries(const QString& family, const QList<PlaceEntry>& entries);

    // Other facts about a family's list (that we created the file, ...).
    QString value(const QString& family, const QString& key) const;
    void setValue(const QString& family, const QString& key, const QString& value);

    QString file() const { return file_; }

private:
    QString file_;
};

}  // namespace varnel::desktop
