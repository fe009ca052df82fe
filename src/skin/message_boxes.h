#pragma once
// The skinned question box (OK, Cancel) and alert box (OK). The message and
// the answer travel through MsgText and MsgAnswer. A caller writes MsgText,
// calls the box's sLoader, shows it with showModal and, for a question, reads
// MsgAnswer; askQuestion and showAlert do exactly that.
//
// Each box exists at most once: instance() loads it (running sLoader), every
// answer unloads it, and the next instance() sets it up afresh.

#include <string>

#include "skin/skin_button.h"
#include "skin/skin_window.h"
#include "skin/tight_butt.h"

namespace varnel {

// The message of the next box; kept after the box closes.
extern std::string MsgText;
// True only after OK in the question box; Cancel and the close button set
// False; the alert box never touches it.
extern bool MsgAnswer;

class MessageBoxWindow : public SkinWindow {
    Q_OBJECT
public:
    SkinLabel* lblMsg;
    TightButt* btnOk;
    ExitButt* ExitButt1;

    // Centres the box over the editor window (its last place when hidden).
    void PlaceMe();

protected:
    MessageBoxWindow(const char* logLabel, QRect messageRect, QPoint okAt);

    void writeTexts() override;
    // Hides the box, ends its modal showing and destroys it.
    virtual void unload() = 0;
    // Every way the box closes without OK: its close button or the window system.
    virtual void closeWithoutOk() { unload(); }
    void closeEvent(QCloseEvent* event) override;

    // Keyboard and screen readers: Tab order, Escape, the box's and buttons' names.
    void setUpKeyboard();
    void nameControlsForAssistiveTech();
};

class frmMsgBox : public MessageBoxWindow {
    Q_OBJECT
public:
    // The loaded box; loads it first when it is not.
    static frmMsgBox& instance();
    // The loaded box, or nullptr.
    static frmMsgBox* loaded();
    static bool isShowing() { return loaded() && loaded()->isVisible(); }

    TightButt* btnCancel;

protected:
    void writeTexts() override;
    void unload() override;
    void closeWithoutOk() override;

private:
    frmMsgBox();
};

class frmMsgBoxAlert : public MessageBoxWindow {
    Q_OBJECT
public:
    static frmMsgBoxAlert& instance();
    static frmMsgBoxAlert* loaded();
    static bool isShowing() { return loaded() && loaded()->isVisible(); }

protected:
    void unload() override;

private:
    frmMsgBoxAlert();
};

// Asks `message` in the question box, waits for the answer and returns MsgAnswer.
bool askQuestion(const std::string& message);
// Shows `message` in the alert box and waits until it is closed.
void showAlert(const std::string& message);

}  // namespace varnel
