#pragma once
// GTK's bookmarks file ($XDG_CONFIG_HOME/gtk-3.0/bookmarks), read by GTK 3,
// GTK 4 and GNOME's portal file chooser: one entry a line, "URI[ label]".

#include <QByteArray>
#include <QStringList>

#include "targets/desktop_lists/place_entry.h"

namespace varnel::desktop {

struct ListChange {
    QByteArray content;
    QList<PlaceEntry> added;  // the entries of `add` that were not there yet
};

// The file without the entries of `drop` (matched by decoded path and label)
// and with those of `add` whose folder it does not list yet appended; every
// other line stays byte for byte.
ListChange gtkBookmarksWith(const QByteArray& original, const QList<PlaceEntry>& drop, const QList<PlaceEntry>& add);

// The local folders the file lists, in its order.
QStringList gtkBookmarkFolders(const QByteArray& content);

// file:// URI of a path, escaped the way GLib escapes file names.
QByteArray gtkUri(const QString& path);

}  // namespace varnel::desktop
