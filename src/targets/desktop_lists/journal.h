#pragma once
// Our record of what we added to each desktop list, kept in
// $XDG_STATE_HOME/Varnel/ and written before a list changes, so that a
// program that was killed can be cleaned up after at the next start.

#include <QJsonObject>
#include <QString>

#include "targets/desktop_lists/place_entry.h"

namespace varnel::desktop {

class Journal {
public:
    explicit Journal(QString file);

    const QString& file() const { return file_; }

    QList<PlaceEntry> entries(const QString& list) const;
    // Each change reaches the file before the call returns. False when it
    // could not be written; the record then stays as it was.
    bool setEntries(const QString& list, const QList<PlaceEntry>& entries);

    // Other facts about a list (that we created its file, ...).
    QString value(const QString& list, const QString& key) const;
    bool setValue(const QString& list, const QString& key, const QString& value);

private:
    bool setFamily(const QString& list, const QJsonObject& family);
    bool save() const;

    QString file_;
    QJsonObject data_;
};

}  // namespace varnel::desktop
