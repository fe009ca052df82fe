#pragma once
// Turns the group table into what the user sees: the group list of the
// editor and the tray, and the places of one group.

#include <optional>
#include <string>

#include "places/places_bar.h"

namespace varnel {

// Refills the editor's group list and the tray's group submenu, the active
// group's item greyed. False when there is no group or no database: then the
// tray's group and folder submenus are disabled.
bool loadGroupList();

// Loads the group `name` into the editor's place boxes and the tray's folder
// submenu, shows its name in the group list and returns its places. For a
// name not in the table only the folder submenu changes: it is emptied.
std::optional<PlaceSet> loadGroup(const std::string& name);

}  // namespace varnel
