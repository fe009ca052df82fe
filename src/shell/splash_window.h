#pragma once
// The splash window: the program's first window, shown for a second before
// the group editor. Opened from the tray it serves as the About box.

#include <QTimer>

#include "skin/skin_window.h"

namespace varnel {

class SplashWindow : public SkinWindow {
    Q_OBJECT
public:
    enum class Role { Splash, About };
    explicit SplashWindow(Role role);

    bool isAboutBox() const { return role_ == Role::About; }
    // Sets the window up and shows it; the splash's second starts now.
    void load();

    // "Ver. " + major + " - rev." + revision.
    static QString versionText();

    SkinLabel* skinSurface() const { return skinPicture; }
    SkinLabel* versionLabel;
    SkinLabel* webAddressLabel;
    QTimer splashTimer;

    void splashTimeUp();
    void dismiss();
    void openWebAddress();
    // Hides the window and lets it go, without handing over to the editor.
    void unload();
    // Keyboard and screen readers: the version (closes) and the web address as controls, Escape.
    void setUpKeyboard();

signals:
    // The splash's second is over (or it was clicked): the editor's turn.
    void splashEnded();

private:
    void endSplashPhase();

    Role role_;
};

}  // namespace varnel
