#include "places/group_loader.h"

#include "core/db.h"
#include "core/log.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "core/views.h"
#include "places/place_name.h"
#include "places/places_bar.h"

namespace varnel {

bool LoadListFromDb() {
    try {
        groupList().clear();
        getDbData(sqlListGroups());
        TrayMenuView& tray = trayMenu();
        if (!DbStatus.empty()) {
            tray.mSet().setEnabled(false);
            tray.mFolders().setEnabled(false);
            return false;
        }
        tray.mSet().setEnabled(true);
        MenuItemArrayView& items = tray.setApp();
        items.setPlaceholderVisible(true);
        items.unloadItems();
        const int last = static_cast<int>(DbResult.rows()) - 1;
        // Read once: nothing in this loop can change the active group.
        const std::string active = regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup"));
        for (int i = 1; i <= last; ++i) {
            const std::string& name = DbResult(i, 0);
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

void LoadFromDb(const std::string& name) {
    TrayMenuView& tray = trayMenu();
    tray.mFolders().setEnabled(true);
    MenuItemArrayView& folders = tray.OpenFolders();
    folders.setPlaceholderVisible(true);
    folders.unloadItems();
    getDbData(sqlLoadGroup(name));
    if (!DbStatus.empty()) return;
    for (int i = 0; i <= 4; ++i) {
        Places[i] = DbResult(1, i + 1);
        placeBoxes().setText(i, Places[i]);
        folders.loadItem(i + 1, placeDisplayName(Places[i]), Places[i]);
    }
    folders.setPlaceholderVisible(false);
    groupList().setText(DbResult(1, 0));
}

}  // namespace varnel
