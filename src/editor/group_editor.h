#pragma once
// The group editor: the main program's working window. In add mode a new
// group's name is typed, in change mode an existing group is picked from the
// list; the third main button saves. It asks the group service for groups
// and follows what the service reports; it tells its owner what happened
// through signals and knows nothing of the tray.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <memory>
#include <string>

#include "dialogs/common_dialog.h"
#include "editor/programs_menu.h"
#include "groups/group_service.h"
#include "targets/place_target.h"
#include "skin/skin_button.h"
#include "skin/skin_window.h"
#include "skin/caption_button.h"

class QPropertyAnimation;

namespace varnel {

class GroupEditor : public SkinWindow {
    Q_OBJECT
public:
    explicit GroupEditor(GroupService& groups);
    ~GroupEditor() override;

    QComboBox* groupCombo;
    QLineEdit* newNameEdit;
    std::array<QLineEdit*, 5> placeEdits{};
    std::array<BrowseButton*, 5> browseButtons{};
    std::array<CaptionButton*, 3> mainButtons{};
    // Binds programs to the group shown; there only where the program can
    // tell which program is in front.
    CaptionButton* programsButton;
    DeleteButton* deleteButton;
    QLabel* modeMarker;
    MinimizeButton* minimizeButton;
    CloseButton* closeButton;

    // What the controls do.
    // Add mode: a new group's name and places are typed.
    void enterAddMode();
    // Change mode: an existing group is picked from the list and edited.
    void enterChangeMode();
    // Stores the new or changed group, after the user confirms.
    void save();
    // Deletes the group the list shows (never the active one), after the user confirms.
    void deleteGroup();
    void browseForPlace(int index);
    // The menu of programs for the group the list shows, under its button.
    void showProgramsMenu();
    // Where the programs with windows open come from; shows the Programs button.
    void setOpenPrograms(OpenPrograms openPrograms);
    void showChosenGroup();
    void placeEdited(int index);

    // The start-up's part in the editor: the active group in change mode, or
    // add mode when there is no group; then the captions in the language read.
    void showStartGroup(bool groupsExist, const std::string& label);
    void writeCaptions();

    // Offers the dustbin only for a group the list shows that is not the
    // active one; shows an organisation's group read-only; offers Add new
    // where the organisation lets the user keep groups of their own.
    void updateForShownGroup();
    // Slides the marker to the row of the main button `row` (0 add, 1 change).
    void moveMarkerTo(int row);
    void setPlaceEditsEnabled(bool enabled);
    void setBrowseButtonsEnabled(bool enabled);

    // Add mode: the new-name box shows and the list is hidden.
    bool inAddMode() const;
    // Hides to the tray; where the desktop has no tray, minimises instead so
    // the window stays reachable.
    void minimiseToTray();

    // Places typed for a new group; they survive a trip to change mode and back.
    const std::array<std::string, 5>& draftPlaces() const { return draftPlaces_; }

signals:
    // A right click on the skin asks for the program's menu.
    void menuRequested(const QPoint& globalPos);
    // The close button: the program ends.
    void quitRequested();

protected:
    void writeTexts() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The list, the place boxes and the dustbin follow what the service did.
    void follow(const GroupNotice& notice);
    // Shows `name` in the list's box, picking its row when the list has one.
    void showGroupName(const std::string& name);
    // False (after the error alert) when the group was not stored or deleted.
    bool stored(const GroupWrite& write);
    // The group shown is one the organisation manages.
    bool managedShown_ = false;

    GroupService& groups_;
    std::array<std::string, 5> draftPlaces_;
    std::unique_ptr<CommonDialog> dialog_;
    OpenPrograms openPrograms_;
    QMenu* programsMenu_;
    // Slides the marker to the row of the pressed button.
    QPropertyAnimation* markerSlide_;

    // Keyboard and screen readers: Tab order, the menu key, the controls' names.
    void setUpKeyboard();
    void nameControlsForAssistiveTech();
    // Screen readers on Linux name a list by the label it is the buddy of.
    QLabel* groupListLabel_ = nullptr;
};

}  // namespace varnel
