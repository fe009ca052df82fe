#include "shell/tray_icon.h"

#include <QCursor>
#include <QDesktopServices>
#include <QUrl>

#include "base/text.h"
#include "core/log.h"
#include "core/maker.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "core/setting_text.h"
#include "lang/text_table.h"
#include "groups/group_signals.h"
#include "targets/place_name.h"
#include "targets/place_target.h"
#include "shell/autostart.h"
#include "shell/managed_mark.h"
#include "shell/tray_clicks.h"
#include "skin/message_boxes.h"
#include "skin/skin_picture.h"

namespace varnel {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }


}  // namespace

QString trayToolTip(const GroupService& groups) {
    QString tip = QStringLiteral("Varnel - ") + q(trimBlanks(Texts.CurrentGroup)) + QStringLiteral(" : ") +
                  q(groups.activeGroup()) + QStringLiteral(" ");
    // Where the organisation keeps the group, the tip says so.
    if (!groups.enforcedGroup().empty()) tip += QStringLiteral("(") + q(Texts.SetByOrganisation) + QStringLiteral(")");
    // While a program's own group is shown: which, and for whom.
    if (!groups.shownProgram().empty())
        tip += QStringLiteral("\u2014 ") + q(groups.shownProgramGroup()) + QLatin1Char(' ') + q(Texts.ForProgram) +
               QLatin1Char(' ') + q(groups.shownProgram());
    return tip;
}

// ---- submenus built at run time ---------------------------------------------

TrayMenuItems::TrayMenuItems(QMenu* menu, std::function<void(int, QAction*)> onClick)
    : menu_(menu), placeholder_(menu->addAction(QStringLiteral("-"))), onClick_(std::move(onClick)) {
    placeholder_->setEnabled(false);
}

void TrayMenuItems::setPlaceholderVisible(bool visible) { placeholder_->setVisible(visible); }

void TrayMenuItems::unloadItems() {
    for (QAction* a : items_) {
        menu_->removeAction(a);
        a->deleteLater();
    }
    items_.clear();
}

void TrayMenuItems::loadItem(int index, const std::string& caption, const std::string& tag) {
    if (index < 1) return;
    if (static_cast<size_t>(index) > items_.size()) items_.resize(static_cast<size_t>(index), nullptr);
    QAction*& slotAction = items_[static_cast<size_t>(index) - 1];
    if (!slotAction) {
        // Keep menu order by index: insert before the next loaded item.
        QAction* before = nullptr;
        for (size_t i = static_cast<size_t>(index); i < items_.size() && !before; ++i) before = items_[i];
        slotAction = new QAction(menu_);
        menu_->insertAction(before, slotAction);
        QAction* self = slotAction;
        QObject::connect(self, &QAction::triggered, menu_, [this, index, self] { onClick_(index, self); });
    }
    // "&" would become a keyboard accelerator in a menu caption.
    slotAction->setText(q(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    slotAction->setData(q(tag));
    slotAction->setProperty("caption", q(caption));
}

std::string TrayMenuItems::caption(int index) const {
    QAction* a = item(index);
    return a ? a->property("caption").toString().toStdString() : std::string();
}

void TrayMenuItems::loadCaptions(const std::vector<std::string>& captions, const std::string& greyed) {
    setPlaceholderVisible(true);
    unloadItems();
    int index = 0;
    for (const std::string& caption : captions) {
        loadItem(++index, caption, "");
        if (caption == greyed) setItemEnabled(index, false);
    }
    setPlaceholderVisible(false);
}

void TrayMenuItems::setItemEnabled(int index, bool enabled) {
    if (QAction* a = item(index)) a->setEnabled(enabled);
}

QAction* TrayMenuItems::item(int index) const {
    if (index < 1 || static_cast<size_t>(index) > items_.size()) return nullptr;
    return items_[static_cast<size_t>(index) - 1];
}

// ---- the tray window ----------------------------------------------------------

TrayIcon::TrayIcon(GroupService& groups) : groups_(groups), menu_(std::make_unique<QMenu>(QStringLiteral("&VarnelMenu"))), icon_(new QSystemTrayIcon(this)) {
    QMenu* m = menu_.get();
    groupsMenu_ = m->addMenu(QStringLiteral("Set paths"));
    groupsMenuAction = groupsMenu_->menuAction();
    groupItems_ = std::make_unique<TrayMenuItems>(groupsMenu_, [this](int i, QAction*) { activateGroup(i); });
    foldersMenu_ = m->addMenu(QStringLiteral("Folders"));
    foldersMenuAction = foldersMenu_->menuAction();
    folderItems_ = std::make_unique<TrayMenuItems>(foldersMenu_, [this](int i, QAction*) { openFolder(i); });
    m->addSeparator();  // sep12
    showAction = m->addAction(QStringLiteral("Maximera"), [this] { showEditorChosen(); });
    hideAction = m->addAction(QStringLiteral("Minimera"), [this] { hideEditorChosen(); });
    m->addSeparator();  // sepp
    helpAction = m->addAction(QStringLiteral("Help"), [this] { openHelp(); });
    aboutAction = m->addAction(QStringLiteral("&About"), [this] { openAbout(); });
    m->addSeparator();  // sep13
    updateAction = m->addAction(QStringLiteral("Update"), [this] { openUpdate(); });
    m->addSeparator();  // mSep1
    languageMenu_ = m->addMenu(QStringLiteral("Language"));
    languageMenuAction = languageMenu_->menuAction();
    languageItems_ = std::make_unique<TrayMenuItems>(languageMenu_, [this](int i, QAction*) { chooseLanguage(i); });
    // Which open programs use the group shown: checked, and a click binds or frees one.
    programsMenu_ = m->addMenu(QStringLiteral("Programs"));
    programsMenu_->menuAction()->setVisible(false);
    QObject::connect(programsMenu_, &QMenu::aboutToShow, this, [this] { fillProgramsMenu(); });
    startAtLoginAction = m->addAction(QStringLiteral("Start at login"));
    startAtLoginAction->setCheckable(true);
    QObject::connect(startAtLoginAction, &QAction::triggered, this, [this](bool checked) { setStartAtLogin(checked); });
    // The entry is the user's file: show what it says now, whoever changed it.
    QObject::connect(m, &QMenu::aboutToShow, this, [this] { startAtLoginAction->setChecked(autostartEnabled()); });
    exitAction = m->addAction(QStringLiteral("&Exit"), [this] { exitProgram(); });
    connect(new GroupSignals(groups_, this), &GroupSignals::changed, this, &TrayIcon::follow);

    // Where no double click can arrive, the single click does its work, so
    // the editor, About and the update window stay within reach of the icon.
    // Such a host also draws the menu itself from what the program publishes.
    const bool singleClickActivates = !trayReportsDoubleClicks();
    if (singleClickActivates) icon_->setContextMenu(menu_.get());
    QObject::connect(icon_, &QSystemTrayIcon::activated, this,
                     [this, singleClickActivates](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::DoubleClick: iconActivated(DoubleClick); break;
                         case QSystemTrayIcon::Context:
                             if (!singleClickActivates) iconActivated(RightButtonUp);
                             break;
                         case QSystemTrayIcon::MiddleClick: iconActivated(MiddleButtonUp); break;
                         case QSystemTrayIcon::Trigger: iconActivated(singleClickActivates ? DoubleClick : LeftButtonUp); break;
                         default: iconActivated(LeftButtonUp); break;
                         }
                     });
}

TrayIcon::~TrayIcon() { removeIcon(); }

void TrayIcon::follow(const GroupNotice& notice) {
    switch (notice.event) {
    case GroupEvent::ListRead: {
        const GroupListing& listing = groups_.listing();
        // Without groups the submenus are greyed; what they held stays.
        groupsMenuAction->setEnabled(listing.available);
        if (!listing.available) {
            foldersMenuAction->setEnabled(false);
            return;
        }
        groupItems_->loadCaptions(listing.names, listing.active);
        // The organisation's groups are marked; where it keeps one active,
        // none of the others can be chosen.
        const bool enforced = !groups_.enforcedGroup().empty();
        for (int i = 1; i <= groupItems_->upperBound(); ++i) {
            markManaged(groupItems_->item(i), groups_.isManaged(groupItems_->caption(i)));
            if (enforced) groupItems_->setItemEnabled(i, false);
        }
        updateAction->setEnabled(!groups_.policy().disablesOnlineUpdate());
        return;
    }
    case GroupEvent::GroupLoaded: {
        // A name that is not there leaves the folder submenu empty.
        foldersMenuAction->setEnabled(true);
        folderItems_->setPlaceholderVisible(true);
        folderItems_->unloadItems();
        if (!notice.found) return;
        const PlaceSet& places = groups_.loadedPlaces();
        for (int i = 0; i < 5; ++i) folderItems_->loadItem(i + 1, placeDisplayName(places[i]), places[i]);
        folderItems_->setPlaceholderVisible(false);
        return;
    }
    case GroupEvent::Activated:
    case GroupEvent::ProgramShown: updateToolTip(); return;
    case GroupEvent::Added:
    case GroupEvent::Changed:
    case GroupEvent::Deleted: return;
    }
}

void TrayIcon::showLanguages(const std::vector<std::string>& languages) {
    languageItems_->loadCaptions(languages, CurrentLanguage);
}

void TrayIcon::setUp() {
    const std::string label = "FrmTray - initFrm";
    guarded(label, [&] { icon_->setIcon(loadSkinIcon("\\build\\Icon\\Tray.ico")); });
    guarded(label, [&] {
        groupsMenuAction->setText(q(Texts.SetPaths));
        showAction->setText(q(Texts.Show));
        hideAction->setText(q(Texts.Hide));
        aboutAction->setText(q(Texts.About));
        exitAction->setText(q(Texts.Exit));
        languageMenuAction->setText(q(Texts.language));
        updateAction->setText(q(Texts.Update));
        helpAction->setText(q(Texts.Help));
        foldersMenuAction->setText(q(Texts.Folders));
        startAtLoginAction->setText(q(Texts.StartAtLogin));
        programsMenu_->menuAction()->setText(q(Texts.Programs));
    });
    guarded(label, [&] { tip_ = trayToolTip(groups_); });
    // A second add of the same icon is refused by the shell; the tooltip of
    // the start-up's closing updateToolTip is the one that counts.
    guarded(label, [&] {
        if (iconAdded_) return;
        icon_->setToolTip(tip_);
        icon_->show();
        iconAdded_ = true;
    });
}

void TrayIcon::updateToolTip() {
    tip_ = trayToolTip(groups_);
    icon_->setToolTip(tip_);
}

int TrayIcon::openWebPage(const std::string& address, int) {
    return QDesktopServices::openUrl(QUrl(q(address))) ? 42 : 2;
}

void TrayIcon::removeIcon() {
    icon_->hide();
    iconAdded_ = false;
}

void TrayIcon::iconActivated(int code) {
    // While a question or an alert waits for the user, the icon does nothing.
    if (messageBoxShowing()) return;
    if (code == DoubleClick) emit editorToggleRequested();
    else if (code == RightButtonUp) menu_->popup(QCursor::pos());
    else emit editorRaiseRequested();
}

void TrayIcon::activateGroup(int index) {
    if (!groupItems_->item(index)) return;
    groups_.activateGroup(groupItems_->caption(index));
}

void TrayIcon::openFolder(int index) {
    QAction* a = folderItems_->item(index);
    if (!a) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(a->data().toString()));
}

void TrayIcon::showEditorChosen() { emit showEditorRequested(); }

void TrayIcon::hideEditorChosen() { emit hideEditorRequested(); }

void TrayIcon::openHelp() { openWebPage(kDownloadPage, 0); }

void TrayIcon::openAbout() {
    emit showEditorRequested();
    emit aboutRequested();
}

void TrayIcon::openUpdate() {
    emit showEditorRequested();
    // A system-wide install cannot replace its own files: its package manager updates it.
    if (!programFolderWritable()) {
        showAlert(Texts.UpdateByPackage);
        return;
    }
    emit updateRequested();
}

void TrayIcon::chooseLanguage(int index) {
    if (!languageItems_->item(index)) return;
    const std::string language = languageItems_->caption(index);
    emit showEditorRequested();
    if (askQuestion(Texts.ChangesRestart))
        writeSettingText("Language", language);
}

void TrayIcon::setStartAtLogin(bool checked) {
    setAutostart(checked);
    startAtLoginAction->setChecked(autostartEnabled());
}

void TrayIcon::exitProgram() { emit quitRequested(); }

void TrayIcon::setOpenPrograms(OpenPrograms openPrograms) {
    openPrograms_ = std::move(openPrograms);
    programsMenu_->menuAction()->setVisible(static_cast<bool>(openPrograms_));
}

void TrayIcon::fillProgramsMenu() {
    if (!openPrograms_) return programsMenu_->clear();
    // The group shown now: the program's in front, or the active one.
    const std::string group =
        groups_.shownProgramGroup().empty() ? groups_.activeGroup() : groups_.shownProgramGroup();
    varnel::fillProgramsMenu(*programsMenu_, groups_, group, openPrograms_());
}

}  // namespace varnel
