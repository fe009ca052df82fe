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
class TrayItemArray : public MenuItemArrayView {
public:
    TrayItemArray(QMenu* menu, std::function<void(int index, QAction*)> onClick);
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

class frmTray : public QObject, public TrayMenuView {
    Q_OBJECT
public:
    // The menus, filled by the engine from now on; the icon shows with initFrm.
    frmTray();
    ~frmTray() override;

    MenuItemView& mSet() override { return mSetItem_; }
    MenuItemView& mFolders() override { return mFoldersItem_; }
    MenuItemArrayView& setApp() override { return *setApp_; }
    MenuItemArrayView& OpenFolders() override { return *OpenFolders_; }
    MenuItemArrayView& Sublang() override { return *Sublang_; }

    // Icon, menu captions and the icon's tooltip.
    void initFrm();
    // Rebuilds the tooltip from the active group.
    void UpdateIcon();
    // Opens an address in the system's browser; above 32 when it worked.
    int OpenWebPage(const std::string& address, int showCommand);
    // Removes the notification-area icon.
    void deleteIcon();

    // A notification code of the icon: 515 double click, 517 right button up.
    void iconMessage(int code);

    QMenu* mPopupMenu() { return menu_.get(); }
    QSystemTrayIcon* icon() { return icon_; }
    // The tooltip the icon carries now.
    QString toolTip() const { return tip_; }
    TrayItemArray& groupItems() { return *setApp_; }
    TrayItemArray& folderItems() { return *OpenFolders_; }
    TrayItemArray& languageItems() { return *Sublang_; }

    // Menu commands.
    void setApp_Click(int index);
    void OpenFolders_Click(int index);
    void maximera_Click();
    void Minimize_Click();
    void mHelp_Click();
    void mAbout_Click();
    void mUpdate_Click();
    void Sublang_Click(int index);
    void mAutostart_Click(bool checked);
    void mExit_Click();

    QAction *mSetAction, *mFoldersAction, *maximera, *Minimize, *mHelp, *mAbout, *mUpdate, *mlang, *mExit;
    // "Start at login": checked while the session starts the program.
    QAction* mAutostart;

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
    QMenu* setMenu_;
    QMenu* foldersMenu_;
    QMenu* langMenu_;
    std::unique_ptr<TrayItemArray> setApp_, OpenFolders_, Sublang_;
    TrayMenuItem mSetItem_, mFoldersItem_;
    QSystemTrayIcon* icon_;
    QString tip_;
    bool iconAdded_ = false;
};

// The tooltip for the active group: "Varnel - " + label + " : " + group + " ".
QString trayToolTip();

}  // namespace varnel
