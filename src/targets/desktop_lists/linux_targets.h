#pragma once
// The lists of the Linux desktops' file dialogs, in the order "--status"
// names them: GTK, KDE, Qt, Wine. They share one journal.

#include <QStringList>
#include <memory>
#include <vector>

#include "targets/desktop_lists/desktop_folders.h"
#include "targets/place_target.h"

namespace varnel::desktop {

// `only` names the lists to make ("GTK", "KDE", ...); none makes them all.
std::vector<std::unique_ptr<PlaceTarget>> linuxDesktopTargets(const DesktopFolders& folders,
                                                               const QStringList& only = {});

}  // namespace varnel::desktop
