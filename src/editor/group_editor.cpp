#include "editor/group_editor.h"

#include <QApplication>
#include <QMenu>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "core/log.h"
#include "editor/select_all.h"
#include "lang/language_file.h"
#include "lang/language_list.h"
#include "lang/text_table.h"
#include "groups/group_signals.h"
#include "targets/place_target.h"
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

}  // namespace

GroupEditor::GroupEditor(GroupService& groups)
    : SkinWindow({"sLoader frmMain", QSize(401, 250), "\\Build\\window.gif", Placement::CentredOnScreen, "", false}),
      groups_(groups) {
    setEditorWindow(this);
    setWindowTitle(QStringLiteral("Varnel Zize"));
    setStyleSheet(skinStyleSheet());

    groupCombo = new QComboBox(this);
    groupCombo->setEditable(true);
    groupCombo->setInsertPolicy(QComboBox::NoInsert);
    groupCombo->setGeometry(ed::groupCombo);
    groupCombo->setEditText(QStringLiteral("Select shortcutgroup"));
    // The list only offers names: no key, paste or drop may edit its text,
    // since a save then looks for a group that is not there.
    groupCombo->lineEdit()->setReadOnly(true);
    connect(groupCombo, &QComboBox::activated, this, [this] { showChosenGroup(); });

    newNameEdit = new QLineEdit(QStringLiteral("New group name"), this);
    newNameEdit->setGeometry(ed::groupCombo);
    newNameEdit->installEventFilter(this);

    for (int i = 0; i < 5; ++i) {
        placeEdits[i] = new QLineEdit(this);
        placeEdits[i]->setGeometry(ed::placeEdit(i));
        connect(placeEdits[i], &QLineEdit::textChanged, this, [this, i] { placeEdited(i); });
        browseButtons[i] = new BrowseButton(this);
        browseButtons[i]->move(ed::browseButton(i));
        connect(browseButtons[i], &SkinButton::clicked, this, [this, i] { browseForPlace(i); });
    }
    for (int i = 0; i < 3; ++i) {
        mainButtons[i] = new CaptionButton(this);
        mainButtons[i]->move(ed::mainButtonsLeft, ed::mainButtonsTop[i]);
        connect(mainButtons[i], &SkinButton::clicked, this, [this, i] {
            switch (i) {
            case 0: enterAddMode(); break;
            case 1: enterChangeMode(); break;
            default: save(); break;
            }
        });
    }
    programsButton = new CaptionButton(this);
    programsButton->move(ed::mainButtonsLeft, ed::programsButtonTop);
    programsButton->hide();
    connect(programsButton, &SkinButton::clicked, this, [this] { showProgramsMenu(); });
    programsMenu_ = new QMenu(this);
    deleteButton = new DeleteButton(this);
    deleteButton->move(ed::deleteButton);
    connect(deleteButton, &SkinButton::clicked, this, [this] { deleteGroup(); });

    modeMarker = new QLabel(this);
    modeMarker->setPixmap(playMarkerPicture());
    modeMarker->adjustSize();
    modeMarker->move(ed::markerLeft, ed::markerTop[0]);
    modeMarker->setAttribute(Qt::WA_TransparentForMouseEvents);
    markerSlide_ = new QPropertyAnimation(modeMarker, "pos", this);

    minimizeButton = new MinimizeButton(this);
    minimizeButton->move(ed::minimizeButton);
    connect(minimizeButton, &SkinButton::clicked, this, &GroupEditor::minimiseToTray);
    closeButton = new CloseButton(this);
    closeButton->move(ed::closeButton);
    connect(closeButton, &SkinButton::clicked, this, &GroupEditor::quitRequested);

    // A right click on the skin also opens the tray menu over the window.
    connect(skinPicture, &SkinLabel::mousePressed, this, [this](int button, int, float, float) {
        if (button == 2) emit menuRequested(QCursor::pos());
    });

    connect(new GroupSignals(groups_, this), &GroupSignals::changed, this, &GroupEditor::follow);
    setUpKeyboard();
}

GroupEditor::~GroupEditor() { setEditorWindow(nullptr); }

void GroupEditor::showStartGroup(bool groupsExist, const std::string& label) {
    if (groupsExist) {
        std::string name;
        guarded(label, [&] { enterChangeMode(); });
        guarded(label, [&] { name = groups_.activeGroup(); });
        std::optional<PlaceSet> places;
        guarded(label, [&] { places = groups_.loadGroup(name); });
        guarded(label, [&] { showGroupName(name); });
        // A setting that names no group (empty, or a group deleted meanwhile)
        // is no active group: nothing to apply, and what an earlier run left goes.
        guarded(label, [&] {
            if (places) groups_.targets().apply(*places);
            else groups_.targets().remove();
        });
    } else {
        guarded(label, [&] { showGroupName(Texts.SelectShortcutGroup); });
        guarded(label, [&] { enterAddMode(); });
        guarded(label, [&] { deleteButton->setEnabled(false); });
    }
}

void GroupEditor::writeCaptions() {
    mainButtons[0]->setCaption(q(Texts.AddNew));
    mainButtons[1]->setCaption(q(Texts.Change));
    mainButtons[2]->setCaption(q(Texts.Save));
    programsButton->setCaption(q(Texts.Programs));
    newNameEdit->setText(q(Texts.NewGroupName));
}

void GroupEditor::writeTexts() {
    SkinWindow::writeTexts();
    newNameEdit->setGeometry(groupCombo->geometry());
    nameControlsForAssistiveTech();
}

bool GroupEditor::inAddMode() const { return !newNameEdit->isHidden(); }

// ---- what the group service did ----------------------------------------------

void GroupEditor::follow(const GroupNotice& notice) {
    if (notice.event == GroupEvent::ListRead) {
        groupCombo->clear();
        for (const std::string& name : groups_.listing().names) groupCombo->addItem(q(name));
        groupCombo->setEditText(QString());
    } else if (notice.event == GroupEvent::GroupLoaded && notice.found) {
        for (int i = 0; i < 5; ++i) placeEdits[i]->setText(q(groups_.loadedPlaces()[i]));
        showGroupName(notice.name);
    }
    // The list may show the active group now: no dustbin for it.
    updateForShownGroup();
}

void GroupEditor::showGroupName(const std::string& name) {
    const int index = groupCombo->findText(q(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) groupCombo->setCurrentIndex(index);
    groupCombo->setEditText(q(name));
}

// ---- events ----------------------------------------------------------------------

void GroupEditor::enterAddMode() {
    for (int i = 0; i < 5; ++i) placeEdits[i]->setText(q(draftPlaces_[i]));
    for (auto* b : mainButtons) b->setEnabled(true);
    groupCombo->hide();
    newNameEdit->show();
    setPlaceEditsEnabled(true);
    setBrowseButtonsEnabled(true);
    deleteButton->setEnabled(false);
    moveMarkerTo(0);
    updateForShownGroup();
}

void GroupEditor::enterChangeMode() {
    const std::string remembered = s(groupCombo->currentText());
    if (!groups_.reloadList()) {
        groups_.targets().remove();
        showAlert(Texts.EmptyDb);
        enterAddMode();
        return;
    }
    for (auto* b : mainButtons) b->setEnabled(true);
    groupCombo->show();
    newNameEdit->hide();
    setPlaceEditsEnabled(true);
    setBrowseButtonsEnabled(true);
    for (int i = 0; i < 5; ++i) placeEdits[i]->setText(q(groups_.loadedPlaces()[i]));
    showGroupName(remembered);
    moveMarkerTo(1);
    deleteButton->setEnabled(false);
    updateForShownGroup();
}

void GroupEditor::save() {
    const bool adding = groupCombo->isHidden();
    const std::string newName = s(newNameEdit->text());
    if (!adding && groups_.isManaged(s(groupCombo->currentText()))) return showAlert(Texts.ManagedGroup);
    if (adding && (newName == Texts.NewGroupName || newName.empty())) return showAlert(Texts.FillName);
    for (auto* box : placeEdits)
        if (box->text().isEmpty()) return showAlert(Texts.FillAllFields);
    // Only a new name can collide; in change mode the name box is hidden and stale.
    if (adding && groups_.nameTaken(newName)) return showAlert(Texts.NewNameExists);
    if (!askQuestion(Texts.SaveTheChanges)) return;

    PlaceSet places;
    for (int i = 0; i < 5; ++i) places[i] = s(placeEdits[i]->text());
    if (adding) {
        if (!stored(groups_.saveNewGroup(newName, places))) return;
        draftPlaces_ = {};
        newNameEdit->setText(q(Texts.NewGroupName));
    } else {
        if (!stored(groups_.saveChangedGroup(s(groupCombo->currentText()), places))) return;
    }
    enterChangeMode();
}

void GroupEditor::deleteGroup() {
    if (inAddMode()) return;  // the hidden list names no group the user sees
    if (groups_.isManaged(s(groupCombo->currentText()))) return showAlert(Texts.ManagedGroup);
    if (!askQuestion(Texts.Delete)) return;
    if (!stored(groups_.deleteGroup(s(groupCombo->currentText())))) return;
    enterChangeMode();
}

void GroupEditor::browseForPlace(int index) {
    if (!dialog_) dialog_ = std::make_unique<CommonDialog>();
    dialog_->hOwner = this;
    dialog_->flags = BIF_RETURNONLYFSDIRS | BIF_BROWSEINCLUDEFILES;
    dialog_->InitDir = QString();
    dialog_->SidebarFolders.clear();
    for (const std::string& place : groups_.loadedPlaces()) dialog_->SidebarFolders << q(place);
    dialog_->ShowFolder();
    if (!dialog_->InitDir.isEmpty()) placeEdits[index]->setText(dialog_->InitDir);
}

void GroupEditor::showProgramsMenu() {
    if (!openPrograms_ || !programsButton->isEnabled()) return;
    fillProgramsMenu(*programsMenu_, groups_, s(groupCombo->currentText()), openPrograms_());
    // The keyboard starts on the first program.
    if (!programsMenu_->actions().isEmpty()) programsMenu_->setActiveAction(programsMenu_->actions().first());
    programsMenu_->popup(programsButton->mapToGlobal(QPoint(0, programsButton->height())));
}

void GroupEditor::setOpenPrograms(OpenPrograms openPrograms) {
    openPrograms_ = std::move(openPrograms);
    programsButton->setVisible(static_cast<bool>(openPrograms_));
    updateForShownGroup();
}

void GroupEditor::showChosenGroup() {
    groups_.loadGroup(s(groupCombo->currentText()));
    updateForShownGroup();
}

void GroupEditor::placeEdited(int index) {
    if (inAddMode()) draftPlaces_[index] = s(placeEdits[index]->text());
}

void GroupEditor::minimiseToTray() {
    setWindowState(windowState() | Qt::WindowMinimized);
    if (QSystemTrayIcon::isSystemTrayAvailable()) hide();
}

// ---- methods ---------------------------------------------------------------------

void GroupEditor::updateForShownGroup() {
    // In add mode the hidden list still holds a name: the dustbin must not offer it.
    const std::string shown = s(groupCombo->currentText());
    deleteButton->setEnabled(!inAddMode() && shown != groups_.activeGroup());
    // The organisation's groups can be read, not changed: their places stay
    // readable (and reachable for screen readers), and Save and the dustbin
    // answer that the organisation manages them.
    managedShown_ = !inAddMode() && groups_.isManaged(shown);
    for (auto* box : placeEdits) box->setReadOnly(managedShown_);
    setBrowseButtonsEnabled(!managedShown_);
    mainButtons[0]->setEnabled(groups_.policy().allowsOwnGroups());
    // Programs are bound to a group the list offers, and not while the
    // organisation sets the group.
    const auto& offered = groups_.listing().names;
    programsButton->setEnabled(!inAddMode() && groups_.enforcedGroup().empty() &&
                               std::find(offered.begin(), offered.end(), shown) != offered.end());
    nameControlsForAssistiveTech();
}

bool GroupEditor::stored(const GroupWrite& write) {
    // A refused change is the user's to know; nothing after it may act as if
    // the group had been stored.
    if (write.ok()) return true;
    showAlert(write.error);
    return false;
}

void GroupEditor::moveMarkerTo(int row) {
    if (row != 0 && row != 1) return;
    markerSlide_->stop();
    const QPoint target(modeMarker->x(), ed::markerTop[row]);
    // A hidden editor shows no slide: the marker is at its row at once.
    if (!isVisible()) {
        modeMarker->move(target);
        return;
    }
    markerSlide_->setStartValue(modeMarker->pos());
    markerSlide_->setEndValue(target);
    markerSlide_->setDuration(std::abs(target.y() - modeMarker->y()) * kMarkerStepMs);
    markerSlide_->start();
}

void GroupEditor::setPlaceEditsEnabled(bool enabled) {
    for (auto* box : placeEdits) box->setEnabled(enabled);
}

void GroupEditor::setBrowseButtonsEnabled(bool enabled) {
    for (auto* b : browseButtons) b->setEnabled(enabled);
}

bool GroupEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        const QWidget* at = focusWidget() ? focusWidget() : this;
        emit menuRequested(at->mapToGlobal(QPoint(0, at->height())));
        return true;
    }
    if (watched == newNameEdit && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed its cursor.
        QTimer::singleShot(0, newNameEdit, [this] { selectAllText(*newNameEdit); });
    }
    return SkinWindow::eventFilter(watched, event);
}

void GroupEditor::closeEvent(QCloseEvent* event) {
    // The window system's close (a keyboard shortcut, a taskbar menu) hides
    // the editor like its minimise button; the program goes on in the tray.
    event->ignore();
    minimiseToTray();
}

// ---- keyboard and screen readers ----------------------------------------------

void GroupEditor::setUpKeyboard() {
    // Tab starts where the focus starts, at the group's name, runs down the
    // panel with each place's browse button after it, through the title
    // strip's buttons to the left column and back to the name.
    setTabOrderChain({groupCombo, newNameEdit, deleteButton, placeEdits[0], browseButtons[0], placeEdits[1], browseButtons[1],
                      placeEdits[2], browseButtons[2], placeEdits[3], browseButtons[3], placeEdits[4], browseButtons[4], minimizeButton,
                      closeButton, mainButtons[0], mainButtons[1], mainButtons[2], programsButton});
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
    groupListLabel_->setBuddy(groupCombo);
}

void GroupEditor::nameControlsForAssistiveTech() {
    const QString mark = managedShown_ ? QStringLiteral(" (") + q(Texts.Managed) + QStringLiteral(")") : QString();
    groupCombo->setAccessibleName(q(Texts.GroupList) + mark);
    groupListLabel_->setText(q(Texts.GroupList));
    newNameEdit->setAccessibleName(q(Texts.NewGroupName));
    for (int i = 0; i < 5; ++i) {
        placeEdits[i]->setAccessibleName(q(Texts.PlaceName).arg(i + 1) + mark);
        browseButtons[i]->setAccessibleName(q(Texts.BrowsePlace).arg(i + 1));
    }
    deleteButton->setAccessibleName(q(Texts.DeleteGroup));
    programsButton->setAccessibleName(q(Texts.Programs));
    programsButton->setAccessibleDescription(q(Texts.ProgramsOfGroup));
    programsMenu_->setTitle(q(Texts.Programs));
    minimizeButton->setAccessibleName(q(Texts.Minimize));
    closeButton->setAccessibleName(q(Texts.Close));
}

}  // namespace varnel
