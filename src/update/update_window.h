#pragma once
// The update window: Check fetches the manifest and shows whether newer files
// exist, Update downloads them one after the other (ordinary files into
// their places, the main program and the database into Temp for the
// updater), Cancel and the close button roll a running batch back.
//
// Nothing waits: each file's completion starts the next one, and a cancel
// takes effect once the event that asked for it has been handled.

#include <QProgressBar>
#include <QStringList>
#include <optional>
#include <vector>

#include "skin/skin_button.h"
#include "skin/skin_window.h"
#include "skin/caption_button.h"
#include "policy/organisation_policy.h"
#include "update/manifest_steps.h"
#include "update/release_signature.h"
#include "update/update_download.h"

namespace varnel {

class ReleaseCheck;

class UpdateWindow : public SkinWindow, public UpdateWindowView {
    Q_OBJECT
public:
    // The window, loaded and not yet shown; it deletes itself when it closes.
    // Where an organisation's `policy` is given, Check obeys it: it refuses
    // when the online update is turned off and asks the organisation's server.
    explicit UpdateWindow(OrganisationPolicy* policy = nullptr);

    CloseButton* closeButton;
    CaptionButton* checkButton;
    CaptionButton* updateButton;
    CaptionButton* cancelButton;
    SkinLabel* statusLabel;
    SkinLabel* messageLabel;
    // One download slot per file of a batch; slot 0 also fetches the manifest.
    std::vector<SkinLabel*> fileLabels;
    std::vector<QProgressBar*> progressBars;
    std::vector<UpdateDownload*> downloadSlots;

    int lastFileIndex = -1;
    bool restartNeeded = false;

    void check();
    void startUpdate();
    void cancel();
    void closeWindow();

    // The files the last Check selected; a Check that selects nothing keeps them.
    const DownloadList& downloadList() const { return downloads_; }

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
    // The tray's double click: closes the window; a running download is
    // cancelled as by Cancel, and its roll-back closes the window.
    void closeForTray();
    // Closed and about to go.
    bool isUnloaded() const { return unloaded_; }

signals:
    // The batch Update started has ended: in place, rolled back or handed over.
    void batchEnded();
    // The batch brought the main program or the database: the updater is to
    // be started with these arguments and this program is to end at once.
    void handOverRequested(const QString& updater, const QStringList& arguments);

protected:
    void writeTexts() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    // Reads the manifest a Check brought, once.
    void readManifest();
    void downloadFiles();
    // Starts the batch's next file, or ends the batch after the last one.
    void startNextFile();
    // The file the batch waited for is in; the next one follows.
    void fileArrived();
    void endBatch();
    void handOverToUpdater();
    // Cancel, the close button and a refused file: a running batch rolls
    // back once the event that asked for it has been handled.
    void requestCancel();
    // Rolls back once, whoever noticed the cancel first.
    void rollBack();
    // Slot i, created over slot 0 when it does not exist yet.
    void ensureSlot(size_t i);
    void showDownloadProgress(size_t index, qint64 bytesRead, qint64 totalBytes);
    void downloadFinished(size_t index);

    // Keyboard and screen readers: Tab order, Escape, the close button's and bars' names.
    void setUpKeyboard();
    void nameControlsForAssistiveTech();

    QPoint savedProgressPos_, savedLabelPos_;
    DownloadList downloads_;
    // The release the last Check verified (with a release key).
    std::optional<VerifiedRelease> release_;
    OrganisationPolicy* policy_;
    // The server of the last check, with "/" at its end.
    std::string server_;
    ReleaseCheck* releaseCheck_ = nullptr;
    // Set by Cancel, the close button and the tray; cleared by Check and Update.
    bool cancelRequested_ = false;
    // From Check until its manifest has been read.
    bool awaitingManifest_ = false;
    bool batchRunning_ = false;
    size_t currentFile_ = 0;
    bool rolledBack_ = false;
    // A close during a batch is a cancel; the window closes when the batch ends.
    bool closeRequested_ = false;
    // Unloaded: hidden and about to go.
    bool unloaded_ = false;
};


}  // namespace varnel
