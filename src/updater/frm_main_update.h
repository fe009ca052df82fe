#pragma once
// The updater's window: a waiting text and a row of moving dots while the
// command of the command line runs, two seconds after loading.

#include <QPlainTextEdit>
#include <QString>
#include <QTimer>

#include "skin/skin_window.h"

namespace varnel::updater {

class frmMain : public SkinWindow {
    Q_OBJECT
public:
    explicit frmMain(QString command);

    SkinLabel* lblInfo;
    SkinLabel* lblDot;
    SkinLabel* ExitPic;
    QPlainTextEdit* Text1;
    QTimer* tmrAnim;
    QTimer* tmrWait;

    // Runs the command: makeversion1 builds the release, moveexedb moves the
    // waiting files into place and starts the main program.
    void sStarter();

protected:
    // The updater's labels are its own: the set-up writes no title.
    void writeTexts() override {}

private:
    void Form_Load();
    void tmrAnim_Timer();
    void tmrWait_Timer();
    void startMainProgram();

    QString command_;
    int dots_ = 0;
};

// The whole run of the updater for a command line; returns the exit code.
int runUpdater(const QString& command);

}  // namespace varnel::updater
