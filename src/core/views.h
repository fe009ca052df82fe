#pragma once
// The controls the engine fills: the editor's group list and place boxes and
// the tray menu. The windows implement these and register themselves; until
// they do, every call goes to a view that ignores it.

#include <string>

namespace varnel {

// The editor's group list `comboAppList`.
class GroupListView {
public:
    virtual ~GroupListView() = default;
    virtual void clear() = 0;                                          // removes every name
    virtual void addItem(const std::string& name, int position) = 0;   // inserts a name at a position
    virtual void setText(const std::string& text) = 0;                 // the text shown in the list's box
};

// The editor's five place boxes `txtpath` (index 0 to 4).
class PlaceBoxesView {
public:
    virtual ~PlaceBoxesView() = default;
    virtual void setText(int index, const std::string& text) = 0;      // shows a place in box `index`
};

// One tray menu item (`mSet`, `mFolders`).
class MenuItemView {
public:
    virtual ~MenuItemView() = default;
    virtual void setEnabled(bool enabled) = 0;                         // greys the item or not
};

// A tray menu item array (`setApp`, `OpenFolders`, `Sublang`): item 0 is the
// placeholder "-", items 1 to n are loaded at run time.
class MenuItemListView {
public:
    virtual ~MenuItemListView() = default;
    virtual void setPlaceholderVisible(bool visible) = 0;              // shows or hides item 0
    virtual void unloadItems() = 0;                                    // removes items 1 to the upper bound
    virtual void loadItem(int index, const std::string& caption, const std::string& tag) = 0;  // adds item `index`
    virtual void setItemEnabled(int index, bool enabled) = 0;          // greys a loaded item or not
};

// The tray window `frmTray` and its menu.
class TrayMenuView {
public:
    virtual ~TrayMenuView() = default;
    virtual MenuItemView& groupsMenuItem() = 0;                                  // the group submenu's item
    virtual MenuItemView& foldersMenuItem() = 0;                              // the folders submenu's item
    virtual MenuItemListView& groupMenuItems() = 0;                           // one item per group
    virtual MenuItemListView& folderMenuItems() = 0;                      // one item per place, Tag = the path
    virtual MenuItemListView& languageMenuItems() = 0;                          // one item per language file
};

// Registration by the windows; nullptr unregisters. The views are not owned.
void setGroupListView(GroupListView* view);
void setPlaceBoxesView(PlaceBoxesView* view);
void setTrayMenuView(TrayMenuView* view);

// The registered view, or one that ignores every call.
GroupListView& groupList();
PlaceBoxesView& placeBoxes();
TrayMenuView& trayMenu();

}  // namespace varnel
