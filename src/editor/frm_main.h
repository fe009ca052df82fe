#pragma once
// The group editor: the main program's working window. In add mode a new
// group's name is typed, in change mode an existing group is picked from the
// list; the third main button saves. Its load performs the start-up.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <memory>
#include <string>

#include "core/views.h"
#include "dialogs/cdlg_ex.h"
#include "skin/skin_button.h"
#include "skin/skin_window.h"
#include "skin/tight_butt.h"

class QPropertyAnimation;

namespace varnel {

// Places typed for a new group; they survive a trip to change mode and back.
extern std::array<std::string, 5> DraftPlaces;

class frmMain : public SkinWindow, public GroupListView, public PlaceBoxesView {
    Q_OBJECT
public:
    // The editor, created and loaded (Form_Load) at its first use.
    static frmMain& instance();
    static frmMain* loaded();
    // Destroys the editor (the program's end; tests start afresh with it).
    static void unload();

    QComboBox* comboAppList;
    QLineEdit* txtAddNew;
    std::array<QLineEdit*, 5> txtpath{};
    std::array<BrowsButt*, 5> BrowseButt{};
    std::array<TightButt*, 3> btnMain{};
    Btndustbin* btnDustbin;
    QLabel* imgPlay;
    MiniMizeButt* MiniMizeButt1;
    ExitButt* ExitButt1;

    // Events.
    void btnMain_Click(int index);
    void Btndustbin_Click();
    void BrowseButt_Click(int index);
    void comboAppList_Click();
    void txtpath_Change(int index);
    void MiniMizeButt1_Click();
    void ExitButt1_Click();
    // Runs when the program ends some other way (a close request, the end of
    // the desktop session): the Places Bar entries and the icon go.
    void Form_Terminate();

    // Methods.
    void Checkdustbin();
    void animPlay(std::int16_t index);
    void txtPathChange(bool enabled);
    void BrowseButtChange(bool enabled);

    // Add mode: the new-name box shows and the list is hidden.
    bool inAddMode() const;
    // Hides to the tray; where the desktop has no tray, minimises instead so
    // the window stays reachable.
    void minimiseToTray();

    // The view interfaces the engine fills.
    void clear() override;
    void addItem(const std::string& name, int position) override;
    void setText(const std::string& text) override;
    void setText(int index, const std::string& text) override;

protected:
    void writeTexts() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    frmMain();
    void Form_Load();
    void addAction();
    void changeAction();
    void save();
    // Runs one insert, update or delete of a group; false (after the error
    // alert) when the database did not take it.
    bool changeGroups(const std::string& sql);

    std::unique_ptr<CdlgEx> dialog_;
    // Slides imgPlay to the row of the pressed button.
    QPropertyAnimation* markerSlide_;

    // Keyboard and screen readers: Tab order, the menu key, the controls' names.
    void setUpKeyboard();
    void nameControlsForAssistiveTech();
    // Screen readers on Linux name a list by the label it is the buddy of.
    QLabel* groupListLabel_ = nullptr;
};

}  // namespace varnel
