#pragma once
// The splash window: the program's first window, which refuses a second copy,
// reads the command line and hands over to the group editor after a second.
// Opened from the tray it serves as the About box.

#include <QTimer>

#include "skin/skin_window.h"

namespace varnel {

class frmSplash : public SkinWindow {
    Q_OBJECT
public:
    // Loads the splash window for the start of the program. Returns false when
    // the load step ended the splash phase without showing it (never: a second
    // copy or "deletereg" end the process).
    static frmSplash& startUp(const QString& commandLine);
    // Opens the About box modally (AboutMode is set by the caller).
    static void showAbout();
    static frmSplash* loaded();
    static void unloadIfLoaded();

    // "Ver. " + major + " - rev." + revision.
    static QString versionText();

    SkinLabel* pSkin() const { return SkinImage; }
    SkinLabel* Label1;
    SkinLabel* lblwww;
    QTimer Timer1;

    void Timer1_Timer();
    void Label1_Click();
    void lblwww_Click();

private:
    explicit frmSplash(const QString& commandLine);
    void Form_Load();
    void endSplashPhase();
    void unload();
    // Keyboard and screen readers: the version (closes) and the web address as controls, Escape.
    void setUpKeyboard();

    QString commandLine_;
};

}  // namespace varnel
