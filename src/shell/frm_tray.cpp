#include "shell/frm_tray.h"

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
#include "places/group_loader.h"
#include "places/places_bar.h"
#include "shell/autostart.h"
#include "shell/tray_clicks.h"
#include "skin/message_boxes.h"
#include "skin/skin_picture.h"

namespace varnel {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::string currentGroup() { return readSettingText("CurrentGroup"); }

}  // namespace

QString trayToolTip() {
    return QStringLiteral("Varnel - ") + q(trimBlanks(Texts.CurrentGroup)) + QStringLiteral(" : ") + q(currentGroup()) +
           QStringLiteral(" ");
}

// ---- submenus built at run time ---------------------------------------------

TrayItemArray::TrayItemArray(QMenu* menu, std::function<void(int, QAction*)> onClick)
    : menu_(menu), placeholder_(menu->addAction(QStringLiteral("-"))), onClick_(std::move(onClick)) {
    placeholder_->setEnabled(false);
}

void TrayItemArray::setPlaceholderVisible(bool visible) { placeholder_->setVisible(visible); }

void TrayItemArray::unloadItems() {
    for (QAction* a : items_) {
        menu_->removeAction(a);
        a->deleteLater();
    }
    items_.clear();
}

void TrayItemArray::loadItem(int index, const std::string& caption, const std::string& tag) {
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

std::string TrayItemArray::caption(int index) const {
    QAction* a = item(index);
    return a ? a->property("caption").toString().toStdString() : std::string();
}

void TrayItemArray::setItemEnabled(int index, bool enabled) {
    if (QAction* a = item(index)) a->setEnabled(enabled);
}

QAction* TrayItemArray::item(int index) const {
    if (index < 1 || static_cast<size_t>(index) > items_.size()) return nullptr;
    return items_[static_cast<size_t>(index) - 1];
}

// ---- the tray window ----------------------------------------------------------

frmTray::frmTray() : menu_(std::make_unique<QMenu>(QStringLiteral("&VarnelMenu"))), icon_(new QSystemTrayIcon(this)) {
    QMenu* m = menu_.get();
    setMenu_ = m->addMenu(QStringLiteral("Set paths"));
    mSetAction = setMenu_->menuAction();
    setApp_ = std::make_unique<TrayItemArray>(setMenu_, [this](int i, QAction*) { setApp_Click(i); });
    foldersMenu_ = m->addMenu(QStringLiteral("Folders"));
    mFoldersAction = foldersMenu_->menuAction();
    OpenFolders_ = std::make_unique<TrayItemArray>(foldersMenu_, [this](int i, QAction*) { OpenFolders_Click(i); });
    m->addSeparator();  // sep12
    maximera = m->addAction(QStringLiteral("Maximera"), [this] { maximera_Click(); });
    Minimize = m->addAction(QStringLiteral("Minimera"), [this] { Minimize_Click(); });
    m->addSeparator();  // sepp
    mHelp = m->addAction(QStringLiteral("Help"), [this] { mHelp_Click(); });
    mAbout = m->addAction(QStringLiteral("&About"), [this] { mAbout_Click(); });
    m->addSeparator();  // sep13
    mUpdate = m->addAction(QStringLiteral("Update"), [this] { mUpdate_Click(); });
    m->addSeparator();  // mSep1
    langMenu_ = m->addMenu(QStringLiteral("Language"));
    mlang = langMenu_->menuAction();
    Sublang_ = std::make_unique<TrayItemArray>(langMenu_, [this](int i, QAction*) { Sublang_Click(i); });
    mAutostart = m->addAction(QStringLiteral("Start at login"));
    mAutostart->setCheckable(true);
    QObject::connect(mAutostart, &QAction::triggered, this, [this](bool checked) { mAutostart_Click(checked); });
    // The entry is the user's file: show what it says now, whoever changed it.
    QObject::connect(m, &QMenu::aboutToShow, this, [this] { mAutostart->setChecked(autostartEnabled()); });
    mExit = m->addAction(QStringLiteral("&Exit"), [this] { mExit_Click(); });
    mSetItem_.attach(mSetAction);
    mFoldersItem_.attach(mFoldersAction);
    setTrayMenuView(this);

    // Where no double click can arrive, the single click does its work, so
    // the editor, About and the update window stay within reach of the icon.
    // Such a host also draws the menu itself from what the program publishes.
    const bool singleClickActivates = !trayReportsDoubleClicks();
    if (singleClickActivates) icon_->setContextMenu(menu_.get());
    QObject::connect(icon_, &QSystemTrayIcon::activated, this,
                     [this, singleClickActivates](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::DoubleClick: iconMessage(515); break;
                         case QSystemTrayIcon::Context:
                             if (!singleClickActivates) iconMessage(517);
                             break;
                         case QSystemTrayIcon::MiddleClick: iconMessage(520); break;
                         case QSystemTrayIcon::Trigger: iconMessage(singleClickActivates ? 515 : 514); break;
                         default: iconMessage(514); break;
                         }
                     });
}

frmTray::~frmTray() {
    setTrayMenuView(nullptr);
    deleteIcon();
}

void frmTray::initFrm() {
    const std::string label = "FrmTray - initFrm";
    guarded(label, [&] { icon_->setIcon(loadSkinIcon("\\build\\Icon\\Tray.ico")); });
    guarded(label, [&] {
        mSetAction->setText(q(Texts.SetPaths));
        maximera->setText(q(Texts.Show));
        Minimize->setText(q(Texts.Hide));
        mAbout->setText(q(Texts.About));
        mExit->setText(q(Texts.Exit));
        mlang->setText(q(Texts.language));
        mUpdate->setText(q(Texts.Update));
        mHelp->setText(q(Texts.Help));
        mFoldersAction->setText(q(Texts.Folders));
        mAutostart->setText(q(Texts.StartAtLogin));
    });
    guarded(label, [&] { tip_ = trayToolTip(); });
    // A second add of the same icon is refused by the shell; the tooltip of
    // the editor's closing UpdateIcon is the one that counts.
    guarded(label, [&] {
        if (iconAdded_) return;
        icon_->setToolTip(tip_);
        icon_->show();
        iconAdded_ = true;
    });
}

void frmTray::UpdateIcon() {
    tip_ = trayToolTip();
    icon_->setToolTip(tip_);
}

int frmTray::OpenWebPage(const std::string& address, int) {
    return QDesktopServices::openUrl(QUrl(q(address))) ? 42 : 2;
}

void frmTray::deleteIcon() {
    icon_->hide();
    iconAdded_ = false;
}

void frmTray::iconMessage(int code) {
    // While a question or an alert waits for the user, the icon does nothing.
    if (messageBoxShowing()) return;
    if (code == 515) emit editorToggleRequested();
    else if (code == 517) menu_->popup(QCursor::pos());
    else emit editorRaiseRequested();
}

void frmTray::setApp_Click(int index) {
    if (!setApp_->item(index)) return;
    const std::string name = setApp_->caption(index);
    writeSettingText("CurrentGroup", name);
    UpdateIcon();
    LoadListFromDb();
    if (const std::optional<PlaceSet> places = LoadFromDb(name)) applyPlaces(*places);
    emit groupActivated();
}

void frmTray::OpenFolders_Click(int index) {
    QAction* a = OpenFolders_->item(index);
    if (!a) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(a->data().toString()));
}

void frmTray::maximera_Click() { emit showEditorRequested(); }

void frmTray::Minimize_Click() { emit hideEditorRequested(); }

void frmTray::mHelp_Click() { OpenWebPage(kDownloadPage, 0); }

void frmTray::mAbout_Click() {
    emit showEditorRequested();
    emit aboutRequested();
}

void frmTray::mUpdate_Click() {
    emit showEditorRequested();
    // A system-wide install cannot replace its own files: its package manager updates it.
    if (!programFolderWritable()) {
        showAlert(Texts.UpdateByPackage);
        return;
    }
    emit updateRequested();
}

void frmTray::Sublang_Click(int index) {
    if (!Sublang_->item(index)) return;
    const std::string language = Sublang_->caption(index);
    emit showEditorRequested();
    if (askQuestion(Texts.ChangesRestart))
        writeSettingText("Language", language);
}

void frmTray::mAutostart_Click(bool checked) {
    setAutostart(checked);
    mAutostart->setChecked(autostartEnabled());
}

void frmTray::mExit_Click() { emit quitRequested(); }

}  // namespace varnel
