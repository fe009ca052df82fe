#pragma once
// Qt's widget file dialog reads its sidebar from $XDG_CONFIG_HOME/QtProject.conf,
// group [FileDialog], key "shortcuts": a list of file: URLs ("file:" alone is
// "Computer"). Qt writes that file under QtProject.conf.lock; so do we.

#include <QString>
#include <functional>
#include <optional>

#include "desktop_places/place_entry.h"

namespace varnel::desktop {

// Drops the shortcuts of `drop` (matched by folder), appends those of `add`
// that are not listed yet. `beforeWrite` sees the entries about to be added
// before the file changes. Nothing is done when the file does not exist.
// Returns the entries added, or nothing when the file could not be changed.
std::optional<QList<PlaceEntry>> updateQtShortcuts(const QString& confPath, const QList<PlaceEntry>& drop,
                                                   const QList<PlaceEntry>& add,
                                                   const std::function<void(const QList<PlaceEntry>&)>& beforeWrite);

// How a folder is spelt in the list: percent-encoded ASCII, which every Qt
// version reads back the same.
QString qtShortcut(const QString& path);

}  // namespace varnel::desktop
