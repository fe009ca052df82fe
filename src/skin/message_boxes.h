#pragma once
// The skinned question box (OK, Cancel) and alert box (OK). Each showing
// makes a box of its own with its message; every answer closes and destroys
// it. askQuestion and showAlert show one modally and return the answer.

#include <string>

#include "skin/skin_button.h"
#include "skin/skin_window.h"
#include "skin/caption_button.h"

namespace varnel {

class MessageBoxWindow : public SkinWindow {
    Q_OBJECT
public:
    SkinLabel* messageLabel;
    CaptionButton* okButton;
    CloseButton* closeButton;

    const std::string& message() const { return message_; }
    // Centres the box over the editor window (its last place when hidden).
    void placeOverEditor();

protected:
    MessageBoxWindow(const char* logLabel, std::string message, QRect messageRect, QPoint okAt);

    void writeTexts() override;
    // Hides the box, ends its modal showing and destroys it.
    void unload();
    // Every way the box closes without OK: its close button or the window system.
    virtual void closeWithoutOk() { unload(); }
    void closeEvent(QCloseEvent* event) override;

    // Keyboard and screen readers: Tab order, Escape, the box's and buttons' names.
    void setUpKeyboard();
    void nameControlsForAssistiveTech();

private:
    std::string message_;
};

class QuestionBox : public MessageBoxWindow {
    Q_OBJECT
public:
    // The box, set up (loadSkin) and not yet shown.
    explicit QuestionBox(const std::string& message);

    CaptionButton* cancelButton;

signals:
    // True only for OK; Cancel and the close button answer false.
    void answered(bool ok);

protected:
    void writeTexts() override;
    void closeWithoutOk() override;
};

class AlertBox : public MessageBoxWindow {
    Q_OBJECT
public:
    explicit AlertBox(const std::string& message);
};

// Asks `message` in the question box and waits for the answer: true for OK.
bool askQuestion(const std::string& message);
// Shows `message` in the alert box and waits until it is closed.
void showAlert(const std::string& message);
// Shows `message` in an alert box that holds nothing up.
AlertBox* showNotice(const std::string& message);

// The question or alert box on screen, or nullptr.
QuestionBox* shownQuestionBox();
AlertBox* shownAlertBox();
// Whether a skinned question or alert box is on screen.
bool messageBoxShowing();
// Whether a question or alert box holds the program in its modal showing
// until the user answers; a notice holds nothing up.
bool messageBoxWaiting();

}  // namespace varnel
