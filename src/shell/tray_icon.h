#pragma once
// The tray window: never shown, it owns the notification-area icon and the
// program's menu, which also pops up over the group editor. Its group and
// folder submenus follow the group service; what the menu asks of the other
// windows goes out as signals to the program.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/programs_menu.h"
#include "groups/group_service.h"

namespace varnel {

// One submenu built at run time: placeholder item 0 ("-") and items 1 to n.
class TrayMenuItems {
public:
    TrayMenuItems(QMenu* menu, std::function<void(int index, QAction*)> onClick);
    // Shows or hides item 0.
    void setPlaceholderVisible(bool visible);
    // Removes items 1 to the upper bound.
    void unloadItems();
    // Adds item `index`; its tag is the data it carries (a folder's path).
    void loadItem(int index, const std::string& caption, const std::string& tag);
    // Greys a loaded item or not.
    void setItemEnabled(int index, bool enabled);
    // Items 1 to n anew, one per caption (no tag), the caption `greyed` greyed.
    void loadCaptions(const std::vector<std::string>& captions, const std::string& greyed);

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

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // The menus, which follow the group service from now on; the icon shows with setUp().
    explicit TrayIcon(GroupService& groups);
    ~TrayIcon() override;

    // Offers each language as an item of the language submenu, the current
    // language's greyed.
    void showLanguages(const std::vector<std::string>& languages);

    // Icon, menu captions and the icon's tooltip.
    void setUp();
    // Rebuilds the tooltip from the active group.
    void updateToolTip();
    // Opens an address in the system's browser; above 32 when it worked.
    int openWebPage(const std::string& address, int showCommand);
    // Removes the notification-area icon.
    void removeIcon();

    // The notification codes of the icon, as the system reports mouse events.
    enum IconEvent : int {
        LeftButtonUp = 514,
        DoubleClick = 515,
        RightButtonUp = 517,
        MiddleButtonUp = 520,
    };
    // The double click shows or hides the editor, the right button opens the
    // menu, any other event brings an editor on screen to the front.
    void iconActivated(int code);

    QMenu* menu() { return menu_.get(); }
    // Where the Programs submenu finds the programs that have windows open;
    // without it (or where the desktop cannot tell) the submenu is hidden.
    void setOpenPrograms(OpenPrograms openPrograms);
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
    void quitRequested();

private:
    // The group and folder submenus and the tooltip follow what the service did.
    void follow(const GroupNotice& notice);
    void fillProgramsMenu();

    GroupService& groups_;
    std::unique_ptr<QMenu> menu_;
    QMenu* groupsMenu_;
    QMenu* foldersMenu_;
    QMenu* languageMenu_;
    QMenu* programsMenu_;
    OpenPrograms openPrograms_;
    std::unique_ptr<TrayMenuItems> groupItems_, folderItems_, languageItems_;
    QSystemTrayIcon* icon_;
    QString tip_;
    bool iconAdded_ = false;
};

// The tooltip for the active group: "Varnel - " + label + " : " + group + " ".
QString trayToolTip(const GroupService& groups);

}  // namespace varnel
