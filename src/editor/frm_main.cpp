#include "editor/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>

#include "core/db.h"
#include "core/log.h"
#include "core/setting_text.h"
#include "core/sql_statements.h"
#include "editor/sel_all.h"
#include "lang/language_file.h"
#include "lang/language_list.h"
#include "lang/text_table.h"
#include "places/group_loader.h"
#include "places/places_bar.h"
#include "places/settings_defaults.h"
#include "skin/keyboard_control.h"
#include "skin/message_boxes.h"
#include "skin/play_marker.h"
#include "skin/skin_layout.h"
#include "skin/skin_style.h"

namespace varnel {

namespace {

namespace ed = layout::editor;

// The marker's pace: one pixel per step.
constexpr int kMarkerStepMs = 4;

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

std::string currentGroup() { return readSettingText("CurrentGroup"); }


}  // namespace

frmMain::frmMain()
    : SkinWindow({"sLoader frmMain", QSize(401, 250), "\\Build\\window.gif", Placement::CentredOnScreen, "", false}) {
    setEditorWindow(this);
    setWindowTitle(QStringLiteral("Varnel Zize"));
    setStyleSheet(skinStyleSheet());

    comboAppList = new QComboBox(this);
    comboAppList->setEditable(true);
    comboAppList->setInsertPolicy(QComboBox::NoInsert);
    comboAppList->setGeometry(ed::comboAppList);
    comboAppList->setEditText(QStringLiteral("Select shortcutgroup"));
    // The list only offers names: no key, paste or drop may edit its text,
    // since a save then looks for a group that is not there.
    comboAppList->lineEdit()->setReadOnly(true);
    connect(comboAppList, &QComboBox::activated, this, [this] { comboAppList_Click(); });

    txtAddNew = new QLineEdit(QStringLiteral("New group name"), this);
    txtAddNew->setGeometry(ed::comboAppList);
    txtAddNew->installEventFilter(this);

    for (int i = 0; i < 5; ++i) {
        txtpath[i] = new QLineEdit(this);
        txtpath[i]->setGeometry(ed::txtpath(i));
        connect(txtpath[i], &QLineEdit::textChanged, this, [this, i] { txtpath_Change(i); });
        BrowseButt[i] = new BrowsButt(this);
        BrowseButt[i]->move(ed::BrowseButt(i));
        connect(BrowseButt[i], &SkinButton::Click, this, [this, i] { BrowseButt_Click(i); });
    }
    for (int i = 0; i < 3; ++i) {
        btnMain[i] = new TightButt(this);
        btnMain[i]->move(ed::btnMainLeft, ed::btnMainTop[i]);
        connect(btnMain[i], &SkinButton::Click, this, [this, i] { btnMain_Click(i); });
    }
    btnDustbin = new Btndustbin(this);
    btnDustbin->move(ed::Btndustbin);
    connect(btnDustbin, &SkinButton::Click, this, [this] { Btndustbin_Click(); });

    imgPlay = new QLabel(this);
    imgPlay->setPixmap(playMarkerPicture());
    imgPlay->adjustSize();
    imgPlay->move(ed::imgPlayLeft, ed::imgPlayTop[0]);
    imgPlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    markerSlide_ = new QPropertyAnimation(imgPlay, "pos", this);

    MiniMizeButt1 = new MiniMizeButt(this);
    MiniMizeButt1->move(ed::MiniMizeButt1);
    connect(MiniMizeButt1, &SkinButton::Click, this, [this] { MiniMizeButt1_Click(); });
    ExitButt1 = new ExitButt(this);
    ExitButt1->move(ed::ExitButt1);
    connect(ExitButt1, &SkinButton::Click, this, &frmMain::quitRequested);

    // A right click on the skin also opens the tray menu over the window.
    connect(SkinImage, &SkinLabel::MouseDown, this, [this](int button, int, float, float) {
        if (button == 2) emit menuRequested(QCursor::pos());
    });

    setGroupListView(this);
    setPlaceBoxesView(this);
    setUpKeyboard();
}

frmMain::~frmMain() {
    setGroupListView(nullptr);
    setPlaceBoxesView(nullptr);
    setEditorWindow(nullptr);
}

void frmMain::showStartGroup(bool groupsExist, const std::string& label) {
    if (groupsExist) {
        std::string name;
        guarded(label, [&] { btnMain_Click(1); });
        guarded(label, [&] { name = currentGroup(); });
        guarded(label, [&] { LoadFromDb(name); });
        guarded(label, [&] { setText(name); });
        guarded(label, [&] { applyPlaces(loadedPlaces_); });
    } else {
        guarded(label, [&] { setText(Texts.SelectShortcutGroup); });
        guarded(label, [&] { btnMain_Click(0); });
        guarded(label, [&] { btnDustbin->setEnabled(false); });
    }
}

void frmMain::writeCaptions() {
    btnMain[0]->setCaption(q(Texts.AddNew));
    btnMain[1]->setCaption(q(Texts.Change));
    btnMain[2]->setCaption(q(Texts.Save));
    txtAddNew->setText(q(Texts.NewGroupName));
}

void frmMain::writeTexts() {
    SkinWindow::writeTexts();
    txtAddNew->setGeometry(comboAppList->geometry());
    nameControlsForAssistiveTech();
}

bool frmMain::inAddMode() const { return !txtAddNew->isHidden(); }

// ---- the view interfaces -------------------------------------------------------

void frmMain::clear() {
    comboAppList->clear();
    comboAppList->setEditText(QString());
}

void frmMain::addItem(const std::string& name, int position) {
    // Adding a name never changes the text shown in the list's box.
    const QString text = comboAppList->currentText();
    comboAppList->insertItem(position, q(name));
    comboAppList->setEditText(text);
}

void frmMain::setText(const std::string& text) {
    const int index = comboAppList->findText(q(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) comboAppList->setCurrentIndex(index);
    comboAppList->setEditText(q(text));
}

void frmMain::setText(int index, const std::string& text) {
    if (index < 0 || index >= 5) return;
    loadedPlaces_[static_cast<size_t>(index)] = text;
    txtpath[index]->setText(q(text));
}

// ---- events ----------------------------------------------------------------------

void frmMain::btnMain_Click(int index) {
    switch (index) {
    case 0: addAction(); break;
    case 1: changeAction(); break;
    case 2: save(); break;
    default: break;
    }
}

void frmMain::addAction() {
    for (int i = 0; i < 5; ++i) txtpath[i]->setText(q(draftPlaces_[i]));
    for (auto* b : btnMain) b->setEnabled(true);
    comboAppList->hide();
    txtAddNew->show();
    txtPathChange(true);
    BrowseButtChange(true);
    btnDustbin->setEnabled(false);
    animPlay(0);
    Checkdustbin();
}

void frmMain::changeAction() {
    const std::string remembered = s(comboAppList->currentText());
    if (!LoadListFromDb()) {
        removePlaces();
        showAlert(Texts.EmptyDb);
        addAction();
        return;
    }
    for (auto* b : btnMain) b->setEnabled(true);
    comboAppList->show();
    txtAddNew->hide();
    txtPathChange(true);
    BrowseButtChange(true);
    for (int i = 0; i < 5; ++i) txtpath[i]->setText(q(loadedPlaces_[i]));
    setText(remembered);
    animPlay(1);
    btnDustbin->setEnabled(false);
    Checkdustbin();
}

void frmMain::save() {
    const bool adding = comboAppList->isHidden();
    const std::string newName = s(txtAddNew->text());
    if (adding && (newName == Texts.NewGroupName || newName.empty())) return showAlert(Texts.FillName);
    for (auto* box : txtpath)
        if (box->text().isEmpty()) return showAlert(Texts.FillAllFields);
    // Only a new name can collide; in change mode the name box is hidden and stale.
    if (adding && !getOneColBack(sqlNameTaken(newName)).empty()) return showAlert(Texts.NewNameExists);
    if (!askQuestion(Texts.SaveTheChanges)) return;

    std::array<std::string, 5> places;
    for (int i = 0; i < 5; ++i) places[i] = s(txtpath[i]->text());
    std::string name;
    if (adding) {
        name = newName;
        if (!changeGroups(sqlAddGroup(name, places))) return;
        writeSettingText("CurrentGroup", name);
        emit activeGroupChanged();
        LoadListFromDb();
        LoadFromDb(name);
        applyPlaces(loadedPlaces_);
        draftPlaces_ = {};
        txtAddNew->setText(q(Texts.NewGroupName));
    } else {
        name = s(comboAppList->currentText());
        if (!changeGroups(sqlChangeGroup(name, places, name))) return;
        if (currentGroup() == name) applyPlaces(loadedPlaces_);
    }
    for (int i = 0; i < 5; ++i) loadedPlaces_[i] = s(txtpath[i]->text());
    LoadListFromDb();
    LoadFromDb(name);
    if (currentGroup() == name) applyPlaces(loadedPlaces_);
    changeAction();
}

void frmMain::Btndustbin_Click() {
    if (inAddMode()) return;  // the hidden list names no group the user sees
    if (!askQuestion(Texts.Delete)) return;
    if (!changeGroups(sqlDeleteGroup(s(comboAppList->currentText())))) return;
    LoadListFromDb();
    LoadFromDb(currentGroup());
    changeAction();
}

void frmMain::BrowseButt_Click(int index) {
    if (!dialog_) dialog_ = std::make_unique<CdlgEx>();
    dialog_->hOwner = this;
    dialog_->flags = 16385;
    dialog_->InitDir = QString();
    dialog_->SidebarFolders.clear();
    for (const std::string& place : loadedPlaces_) dialog_->SidebarFolders << q(place);
    dialog_->ShowFolder();
    if (!dialog_->InitDir.isEmpty()) txtpath[index]->setText(dialog_->InitDir);
}

void frmMain::comboAppList_Click() {
    LoadFromDb(s(comboAppList->currentText()));
    Checkdustbin();
}

void frmMain::txtpath_Change(int index) {
    if (inAddMode()) draftPlaces_[index] = s(txtpath[index]->text());
}

void frmMain::MiniMizeButt1_Click() { minimiseToTray(); }

void frmMain::minimiseToTray() {
    setWindowState(windowState() | Qt::WindowMinimized);
    if (QSystemTrayIcon::isSystemTrayAvailable()) hide();
}

// ---- methods ---------------------------------------------------------------------

void frmMain::Checkdustbin() {
    // In add mode the hidden list still holds a name: the dustbin must not offer it.
    btnDustbin->setEnabled(!inAddMode() && s(comboAppList->currentText()) != currentGroup());
}

bool frmMain::changeGroups(const std::string& sql) {
    // A refused statement is the user's to know; nothing after it may act
    // as if the group had been stored.
    const DbChange change = dbExec(sql);
    if (change.ok()) return true;
    showAlert(change.error);
    return false;
}

void frmMain::animPlay(std::int16_t index) {
    if (index != 0 && index != 1) return;
    markerSlide_->stop();
    const QPoint target(imgPlay->x(), ed::imgPlayTop[index]);
    // A hidden editor shows no slide: the marker is at its row at once.
    if (!isVisible()) {
        imgPlay->move(target);
        return;
    }
    markerSlide_->setStartValue(imgPlay->pos());
    markerSlide_->setEndValue(target);
    markerSlide_->setDuration(std::abs(target.y() - imgPlay->y()) * kMarkerStepMs);
    markerSlide_->start();
}

void frmMain::txtPathChange(bool enabled) {
    for (auto* box : txtpath) box->setEnabled(enabled);
}

void frmMain::BrowseButtChange(bool enabled) {
    for (auto* b : BrowseButt) b->setEnabled(enabled);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        const QWidget* at = focusWidget() ? focusWidget() : this;
        emit menuRequested(at->mapToGlobal(QPoint(0, at->height())));
        return true;
    }
    if (watched == txtAddNew && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed its cursor.
        QTimer::singleShot(0, txtAddNew, [this] { SelAll(*txtAddNew); });
    }
    return SkinWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // The window system's close (a keyboard shortcut, a taskbar menu) hides
    // the editor like its minimise button; the program goes on in the tray.
    event->ignore();
    minimiseToTray();
}

// ---- keyboard and screen readers ----------------------------------------------

void frmMain::setUpKeyboard() {
    // Tab starts where the focus starts, at the group's name, runs down the
    // panel with each place's browse button after it, through the title
    // strip's buttons to the left column and back to the name.
    setTabOrderChain({comboAppList, txtAddNew, btnDustbin, txtpath[0], BrowseButt[0], txtpath[1], BrowseButt[1],
                      txtpath[2], BrowseButt[2], txtpath[3], BrowseButt[3], txtpath[4], BrowseButt[4], MiniMizeButt1,
                      ExitButt1, btnMain[0], btnMain[1], btnMain[2]});
    // The menu key asks the focused control for its menu: a text field has
    // its own, everywhere else the menu a right click on the skin opens
    // (eventFilter). Shift+F10 asks the same.
    installEventFilter(this);
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this), &QShortcut::activated, this, [this] {
        QWidget* at = focusWidget() ? focusWidget() : this;
        const QPoint below(0, at->height());
        QContextMenuEvent request(QContextMenuEvent::Keyboard, below, at->mapToGlobal(below));
        QApplication::sendEvent(at, &request);
    });
    groupListLabel_ = new QLabel(this);
    groupListLabel_->hide();
    groupListLabel_->setBuddy(comboAppList);
}

void frmMain::nameControlsForAssistiveTech() {
    comboAppList->setAccessibleName(q(Texts.GroupList));
    groupListLabel_->setText(q(Texts.GroupList));
    txtAddNew->setAccessibleName(q(Texts.NewGroupName));
    for (int i = 0; i < 5; ++i) {
        txtpath[i]->setAccessibleName(q(Texts.PlaceName).arg(i + 1));
        BrowseButt[i]->setAccessibleName(q(Texts.BrowsePlace).arg(i + 1));
    }
    btnDustbin->setAccessibleName(q(Texts.DeleteGroup));
    MiniMizeButt1->setAccessibleName(q(Texts.Minimize));
    ExitButt1->setAccessibleName(q(Texts.Close));
}

}  // namespace varnel
