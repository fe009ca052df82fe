#include "core/views.h"

namespace varnel {

namespace {

struct NoGroupList final : GroupListView {
    void clear() override {}
    void addItem(const std::string&, int) override {}
    void setText(const std::string&) override {}
};

struct NoPlaceBoxes final : PlaceBoxesView {
    void setText(int, const std::string&) override {}
};

struct NoMenuItem final : MenuItemView {
    void setEnabled(bool) override {}
};

struct NoMenuItemArray final : MenuItemListView {
    void setPlaceholderVisible(bool) override {}
    void unloadItems() override {}
    void loadItem(int, const std::string&, const std::string&) override {}
    void setItemEnabled(int, bool) override {}
};

struct NoTrayMenu final : TrayMenuView {
    MenuItemView& groupsMenuItem() override { return item; }
    MenuItemView& foldersMenuItem() override { return item; }
    MenuItemListView& groupMenuItems() override { return items; }
    MenuItemListView& folderMenuItems() override { return items; }
    MenuItemListView& languageMenuItems() override { return items; }
    NoMenuItem item;
    NoMenuItemArray items;
};

GroupListView* registeredGroupList = nullptr;
PlaceBoxesView* registeredPlaceBoxes = nullptr;
TrayMenuView* registeredTrayMenu = nullptr;

}  // namespace

void setGroupListView(GroupListView* view) { registeredGroupList = view; }
void setPlaceBoxesView(PlaceBoxesView* view) { registeredPlaceBoxes = view; }
void setTrayMenuView(TrayMenuView* view) { registeredTrayMenu = view; }

GroupListView& groupList() {
    static NoGroupList none;
    return registeredGroupList ? *registeredGroupList : none;
}

PlaceBoxesView& placeBoxes() {
    static NoPlaceBoxes none;
    return registeredPlaceBoxes ? *registeredPlaceBoxes : none;
}

TrayMenuView& trayMenu() {
    static NoTrayMenu none;
    return registeredTrayMenu ? *registeredTrayMenu : none;
}

}  // namespace varnel
