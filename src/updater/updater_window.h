#pragma once
// The updater's window: a waiting text and a row of moving dots while the
// command of the command line runs, two seconds after loading.

#include <QPlainTextEdit>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>

#include "skin/skin_window.h"
#include "update/verified_release.h"

namespace varnel {
class ReleaseBuilder;
}

namespace varnel::updater {

class FileMove;

class UpdaterWindow : public SkinWindow {
    Q_OBJECT
public:
    explicit UpdaterWindow(QString command);

    SkinLabel* infoLabel;
    SkinLabel* dotsLabel;
    SkinLabel* closePicture;
    QPlainTextEdit* detailsText;
    QTimer* dotsTimer;
    QTimer* waitTimer;

    ~UpdaterWindow() override;

    // Starts the command: makeversion1 builds the release, moveexedb moves
    // the waiting files into place and starts the main program. Their steps
    // run from timers; the updater ends when the last one is done.
    void runCommand();

protected:
    // The updater's labels are its own: the set-up writes no title.
    void writeTexts() override {}

private:
    void load();
    void advanceDots();
    void waitStep();
    void startMainProgram();
    // The command has run: the updater ends.
    void finish();

    // The commands' steps, each run from a timer when the one before it is done.
    void makeVersionStep();
    void checkWaitingFilesStep();
    void moveStep();
    void startWhenMainProgramFileIsThere();

    QString command_;
    int dots_ = 0;
    bool commandRunning_ = false;
    bool ended_ = false;
    int oldCopyLooks_ = 0;
    std::unique_ptr<ReleaseBuilder> builder_;
    std::optional<SecretKey> signingKey_;
    std::optional<std::uint64_t> previousRelease_;
    WaitingFiles waiting_;
    std::unique_ptr<FileMove> move_;
};

// The whole run of the updater for a command line; returns the exit code.
int runUpdater(const QString& command);

}  // namespace varnel::updater
