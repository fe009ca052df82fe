#pragma once
// The update window: Check fetches the manifest and shows whether newer files
// exist, Update downloads them one after the other (ordinary files into
// their places, the main program and the database into Temp for the
// updater), Cancel and the close button roll a running batch back.

#include <QProgressBar>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

#include "skin/skin_button.h"
#include "skin/skin_window.h"
#include "skin/tight_butt.h"
#include "update/mod_update.h"
#include "update/update_download.h"

namespace varnel {

class frmUpdate : public SkinWindow, public UpdateWindowView {
    Q_OBJECT
public:
    // The loaded window; loads it first when it is not.
    static frmUpdate& instance();
    // The loaded window, or nullptr.
    static frmUpdate* loaded();

    ExitButt* ExitButt1;
    TightButt* btnCheck;
    TightButt* btnUpdate;
    TightButt* btnCancel;
    SkinLabel* lblUpdate;
    SkinLabel* lblMessage;
    // One download slot per file of a batch; slot 0 also fetches the manifest.
    std::vector<SkinLabel*> lblCurrentFilename;
    std::vector<QProgressBar*> UpdateProgress;
    std::vector<UpdateDownload*> UpdateDownload1;
    QTimer* Timer1;

    int lastFileIndex = -1;
    bool restartNeeded = false;

    void btnCheck_Click();
    void btnUpdate_Click();
    void btnCancel_Click();
    void ExitButt1_Click();
    void Timer1_Timer();

    // UpdateWindowView, for readUpdateFile and cancelUpdate.
    void showMessage(const std::string& text) override;
    void hideMessage() override;
    void showStatus(const std::string& text) override;
    void setCheckEnabled(bool enabled) override;
    void setUpdateEnabled(bool enabled) override;
    void setCancelEnabled(bool enabled) override;
    void showAlert(const std::string& text) override;
    // Hides the window, ends its modal showing and lets it go.
    void unload() override;

protected:
    void writeTexts() override;
    void closeEvent(QCloseEvent* event) override;

private:
    frmUpdate();
    void Form_Load();
    void downloadFiles();
    void downloadBatch();
    void handOverToUpdater();
    // Slot i, created over slot 0 when it does not exist yet.
    void ensureSlot(size_t i);
    void UpdateDownload1_DownloadProgress(size_t index, qint64 bytesRead, qint64 totalBytes);
    void UpdateDownload1_DownloadComplete(size_t index);

    QPoint savedProgressPos_, savedLabelPos_;
    std::vector<bool> finished_;
    bool rolledBack_ = false;
    // While the download loop runs the window is never deleted: closing it
    // asks the loop to roll back, and an unload waits for the loop's end.
    bool batchRunning_ = false;
    bool closeRequested_ = false;
    bool unloadPending_ = false;
};

// The tray's Update command: the window, modally.
void showUpdateWindow();
// The tray's double click: closes the window; a running download is
// cancelled as by Cancel, and its roll-back closes the window.
void unloadUpdateWindowForTray();

// What the window does to hand over to the updater after a batch with the
// main program or the database. Tests replace parts of it.
struct UpdaterHandOver {
    std::function<void()> removePlacesBar;  // setShortGroup(False, 0)
    std::function<void()> removeTrayIcon;
    std::function<bool(const QString& program, const QStringList& arguments)> start;
    std::function<void()> endProgram;       // at once, no further events
};
UpdaterHandOver& updaterHandOver();

}  // namespace varnel
