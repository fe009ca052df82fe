#pragma once
// KDE's places ($XDG_DATA_HOME/user-places.xbel), read by KDE's file dialogs
// and Dolphin: an XBEL file. Our bookmarks carry a metadata block of our own,
// which KDE keeps when it rewrites the file, so they are found without any
// record of ours.

#include <QByteArray>
#include <optional>

#include "targets/gtk/gtk_bookmarks.h"

namespace varnel::desktop {

inline constexpr const char* kKdeMetadataOwner = "https://www.varnelzize.se/places";

// The file without our bookmarks and with those of `add` whose folder it does
// not hold yet added after the last entry; the rest of the file stays byte
// for byte. Nothing when the file is not well-formed XBEL.
// The local folders of the file's bookmarks, in its order.
QStringList kdePlaceFolders(const QByteArray& content);

std::optional<ListChange> kdePlacesWith(const QByteArray& original, const QList<PlaceEntry>& add);

}  // namespace varnel::desktop
