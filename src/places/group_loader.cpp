#include "places/group_loader.h"

#include "core/db.h"
#include "core/log.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "core/views.h"
#include "places/place_name.h"
#include "places/places_bar.h"

namespace varnel {

bool loadGroupList() {
    try {
        groupList().clear();
        const DbRows groups = queryDb(sqlListGroups());
        TrayMenuView& tray = trayMenu();
        if (!groups.hasRows()) {
            tray.groupsMenuItem().setEnabled(false);
            tray.foldersMenuItem().setEnabled(false);
            return false;
        }
        tray.groupsMenuItem().setEnabled(true);
        MenuItemListView& items = tray.groupMenuItems();
        items.setPlaceholderVisible(true);
        items.unloadItems();
        const int last = static_cast<int>(groups.table.rows()) - 1;
        // Read once: nothing in this loop can change the active group.
        const std::string active = regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup"));
        for (int i = 1; i <= last; ++i) {
            const std::string& name = groups.table(i, 0);
            groupList().addItem(name, i - 1);
            items.loadItem(i, name, "");
            if (active == name) items.setItemEnabled(i, false);
        }
        items.setPlaceholderVisible(false);
        return true;
    } catch (...) {
        logCaught("LoadListFromDb");
        return false;
    }
}

std::optional<PlaceSet> loadGroup(const std::string& name) {
    TrayMenuView& tray = trayMenu();
    tray.foldersMenuItem().setEnabled(true);
    MenuItemListView& folders = tray.folderMenuItems();
    folders.setPlaceholderVisible(true);
    folders.unloadItems();
    const DbRows group = queryDb(sqlLoadGroup(name));
    if (!group.hasRows()) return std::nullopt;
    PlaceSet places;
    for (int i = 0; i <= 4; ++i) {
        places[i] = group.table(1, i + 1);
        placeBoxes().setText(i, places[i]);
        folders.loadItem(i + 1, placeDisplayName(places[i]), places[i]);
    }
    folders.setPlaceholderVisible(false);
    groupList().setText(group.table(1, 0));
    return places;
}

}  // namespace varnel
