#pragma once
// Buttons drawn from skin pictures and cut to the outline of their normal
// picture: a press on a transparent pixel goes to whatever lies beneath.
// `SkinButton` is the image-only button; `BrowseButton`, `DeleteButton`,
// `CloseButton` and `MinimizeButton` only name their pictures and log labels.
// The captioned `CaptionButton` (caption_button.h) builds on it.

#include <QImage>
#include <QSize>
#include <QWidget>
#include <functional>

#include "skin/skin_label.h"

namespace varnel {

struct SkinButtonLook {
    const char* normal;
    const char* pressed;
    const char* disabled;  // nullptr: the normal picture stays while disabled
    const char* initLabel;  // error-log label of loadPictures
    const char* methodLabel;  // label for showPressed and applyEnabled; nullptr: failures are skipped silently
    QSize designSize;  // the control's size when its picture is missing
};

class SkinButton : public QWidget {
    Q_OBJECT
public:
    // The image surface, at 0, 0 and as large as the picture it shows.
    SkinLabel* skinPicture;

    // Loads the normal picture, sizes the control to it and cuts the outline.
    // Runs once, from the constructor of each button class.
    virtual void loadPictures();

    // True shows the pressed picture, false the normal one.
    virtual void showPressed(bool down);

    // Enables or disables the control and shows the matching picture.
    void applyEnabled(bool bEnabled);

    // The enabled state set on this control (its window's may be off too).
    bool enabledState() const { return !testAttribute(Qt::WA_ForceDisabled); }
    void setEnabled(bool enabled) { applyEnabled(enabled); }

    const SkinButtonLook& look() const { return look_; }

signals:
    void clicked();
    void mousePressed(int Button, int Shift, float X, float Y);
    void mouseReleased(int Button, int Shift, float X, float Y);

protected:
    SkinButton(const SkinButtonLook& look, QWidget* parent);

    // Wires a surface's mouse signals to this control's events and looks.
    void reportMouseOf(SkinLabel* surface);

    // Shows the look of the current enabled state.
    virtual void showEnabledLook();

    // One statement of showPressed or applyEnabled, under the control's trap.
    void methodStep(const std::function<void()>& statement);
    // The close and minimise buttons sit on the dark title strip.
    void onTitleStrip();
    // Loads a picture into skinPicture, which takes its size.
    void showPicture(const char* relative);

    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    SkinButtonLook look_;
    bool settingEnabled_ = false;
    QImage shownPicture_;  // as read, before any scaling for the screen
};

class BrowseButton : public SkinButton {
    Q_OBJECT
public:
    explicit BrowseButton(QWidget* parent = nullptr);
};

class DeleteButton : public SkinButton {
    Q_OBJECT
public:
    explicit DeleteButton(QWidget* parent = nullptr);
};

class CloseButton : public SkinButton {
    Q_OBJECT
public:
    explicit CloseButton(QWidget* parent = nullptr);
};

class MinimizeButton : public SkinButton {
    Q_OBJECT
public:
    explicit MinimizeButton(QWidget* parent = nullptr);
};

}  // namespace varnel
