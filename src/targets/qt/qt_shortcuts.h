#pragma once
// Qt's widget file dialog reads its sidebar from $XDG_CONFIG_HOME/QtProject.conf,
// group [FileDialog], key "shortcuts": a list of file: URLs ("file:" alone is
// "Computer"). Qt writes that file under QtProject.conf.lock; so do we.

#include <QString>
#include <functional>

#include "targets/desktop_lists/file_update.h"
#include "targets/desktop_lists/place_entry.h"

namespace varnel::desktop {

struct QtShortcutsUpdate {
    UpdateResult result = UpdateResult::Done;
    QList<PlaceEntry> added;  // the entries of `add` that were not listed yet
    QString lockHolder;       // with Locked: "pid N name" as the lock file names its holder
};

// Drops the shortcuts of `drop` (matched by folder), then, when none of
// `drop` was listed any more, each of `tails` that ends the list as a whole
// (a Qt dialog that was open while we changed the list writes its copy
// back, our old entries at its end), and appends
// those of `add` that are not listed yet. `beforeWrite` sees the entries
// about to be added before the file changes; false from it leaves the file
// as it is. Nothing is done when the file does not exist. Qt's reader and
// writer work on a copy in a folder of our own, under $XDG_RUNTIME_DIR when
// that is private, else under `scratchParent`.
QtShortcutsUpdate updateQtShortcuts(const QString& confPath, const QList<PlaceEntry>& drop,
                                    const QList<QList<PlaceEntry>>& tails, const QList<PlaceEntry>& add,
                                    const QString& scratchParent,
                                    const std::function<bool(const QList<PlaceEntry>&)>& beforeWrite);

// How a folder is spelt in the list: percent-encoded ASCII, which every Qt
// version reads back the same.
QString qtShortcut(const QString& path);

}  // namespace varnel::desktop
