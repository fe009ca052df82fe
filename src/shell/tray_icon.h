#pragma once
// The tray window: never shown, it owns the notification-area icon and the
// program's menu, which also pops up over the group editor. What the menu
// asks of the other windows goes out as signals to the program.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>
#include <string>
#include <vector>

#include "core/views.h"

namespace varnel {

// One submenu built at run time: placeholder item 0 ("-") and items 1 to n.
class TrayMenuItems : public MenuItemListView {
public:
    TrayMenuItems(QMenu* menu, std::function<void(int index, QAction*)> onClick);
    void setPlaceholderVisible(bool visible) override;
    void unloadItems() override;
    void loadItem(int index, const std::string& caption, const std::string& tag) override;
    void setItemEnabled(int index, bool enabled) override;

    QAction* item(int index) const;  // nullptr when not loaded
    // The caption item `index` was loaded with ("" when not loaded).
    std::string caption(int index) const;
    int upperBound() const { return static_cast<int>(items_.size()); }

private:
    QMenu* menu_;
    QAction* placeholder_;
    std::vector<QAction*> items_;  // items 1 to n
    std::function<void(int, QAction*)> onClick_;
};

class TrayMenuItem : public MenuItemView {
public:
    void attach(QAction* action) { action_ = action; }
    void setEnabled(bool enabled) override {
        if (action_) action_->setEnabled(enabled);
    }

private:
    QAction* action_ = nullptr;
};

class TrayIcon : public QObject, public TrayMenuView {
    Q_OBJECT
public:
    // The menus, filled by the engine from now on; the icon shows with initFrm.
    TrayIcon();
    ~TrayIcon() override;

    MenuItemView& groupsMenuItem() override { return groupsItem_; }
    MenuItemView& foldersMenuItem() override { return foldersItem_; }
    MenuItemListView& groupMenuItems() override { return *groupItems_; }
    MenuItemListView& folderMenuItems() override { return *folderItems_; }
    MenuItemListView& languageMenuItems() override { return *languageItems_; }

    // Icon, menu captions and the icon's tooltip.
    void setUp();
    // Rebuilds the tooltip from the active group.
    void updateToolTip();
    // Opens an address in the system's browser; above 32 when it worked.
    int openWebPage(const std::string& address, int showCommand);
    // Removes the notification-area icon.
    void removeIcon();

    // A notification code of the icon: 515 double click, 517 right button up.
    void iconActivated(int code);

    QMenu* menu() { return menu_.get(); }
    QSystemTrayIcon* icon() { return icon_; }
    // The tooltip the icon carries now.
    QString toolTip() const { return tip_; }
    TrayMenuItems& groupItems() { return *groupItems_; }
    TrayMenuItems& folderItems() { return *folderItems_; }
    TrayMenuItems& languageItems() { return *languageItems_; }

    // Menu commands.
    void activateGroup(int index);
    void openFolder(int index);
    void showEditorChosen();
    void hideEditorChosen();
    void openHelp();
    void openAbout();
    void openUpdate();
    void chooseLanguage(int index);
    void setStartAtLogin(bool checked);
    void exitProgram();

    QAction *groupsMenuAction, *foldersMenuAction, *showAction, *hideAction, *helpAction, *aboutAction, *updateAction, *languageMenuAction, *exitAction;
    // "Start at login": checked while the session starts the program.
    QAction* startAtLoginAction;

signals:
    // The double click: the editor shows or hides, other windows close.
    void editorToggleRequested();
    // Any other click: an editor on screen comes to the front.
    void editorRaiseRequested();
    void showEditorRequested();
    void hideEditorRequested();
    void aboutRequested();
    void updateRequested();
    // Another group is active now.
    void groupActivated();
    void quitRequested();

private:

    std::unique_ptr<QMenu> menu_;
    QMenu* groupsMenu_;
    QMenu* foldersMenu_;
    QMenu* languageMenu_;
    std::unique_ptr<TrayMenuItems> groupItems_, folderItems_, languageItems_;
    TrayMenuItem groupsItem_, foldersItem_;
    QSystemTrayIcon* icon_;
    QString tip_;
    bool iconAdded_ = false;
};

// The tooltip for the active group: "Varnel - " + label + " : " + group + " ".
QString trayToolTip();

}  // namespace varnel
