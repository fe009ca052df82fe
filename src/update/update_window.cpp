#include "update/update_window.h"

#include <QCloseEvent>
#include <QShortcut>
#include <QTimer>
#include <cstdint>
#include <filesystem>

#include "core/db.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/sql_statements.h"
#include "lang/text_table.h"
#include "skin/keyboard_control.h"
#include "skin/message_boxes.h"
#include "skin/skin_layout.h"
#include "skin/skin_style.h"
#include "update/release_check.h"
#include "update/release_signature.h"
#include "update/update_batch.h"
#include "update/update_paths.h"
#include "update/verified_release.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;
namespace ui = layout::update;

QString q(const std::string& text) { return QString::fromStdString(text); }
QString filePath(const std::string& relative) { return q(pathText(programPath(relative))); }

}  // namespace

UpdateWindow::UpdateWindow(OrganisationPolicy* policy)
    : SkinWindow({"sLoader frmUpdate", QSize(401, 250), "\\Build\\UpdateWindow.gif", Placement::BesideEditor, {}}, nullptr,
                 Qt::Dialog),
      closeButton(new CloseButton(this)),
      checkButton(new CaptionButton(this)),
      updateButton(new CaptionButton(this)),
      cancelButton(new CaptionButton(this)),
      statusLabel(new SkinLabel(this)),
      messageLabel(new SkinLabel(this)),
      policy_(policy) {
    setStyleSheet(skinStyleSheet());
    closeButton->move(ui::closeButton);
    checkButton->move(ui::checkButton);
    updateButton->move(ui::updateButton);
    cancelButton->move(ui::cancelButton);
    QPalette ink = statusLabel->palette();
    ink.setColor(QPalette::WindowText, skinInkColour());
    statusLabel->setPalette(ink);
    statusLabel->setGeometry(ui::statusLabel);
    QFont bold = statusLabel->font();
    bold.setBold(true);
    statusLabel->setFont(bold);
    messageLabel->setPalette(ink);
    messageLabel->setGeometry(ui::messageLabel);
    messageLabel->setWordWrap(true);
    // The server's text, shown as written, never as markup.
    messageLabel->setTextFormat(Qt::PlainText);
    messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    messageLabel->hide();
    for (SkinLabel* label : {statusLabel, messageLabel}) label->setReactsToMouse(false);

    auto* label = new SkinLabel(this);
    label->setPalette(ink);
    label->setGeometry(ui::fileLabels);
    label->setReactsToMouse(false);
    auto* bar = new QProgressBar(this);
    bar->setGeometry(ui::progressBars);
    bar->setTextVisible(false);
    fileLabels.push_back(label);
    progressBars.push_back(bar);
    ensureSlot(0);

    connect(checkButton, &SkinButton::clicked, this, &UpdateWindow::check);
    connect(updateButton, &SkinButton::clicked, this, &UpdateWindow::startUpdate);
    connect(cancelButton, &SkinButton::clicked, this, &UpdateWindow::cancel);
    connect(closeButton, &SkinButton::clicked, this, &UpdateWindow::closeWindow);
    setUpKeyboard();
    load();
}

void UpdateWindow::load() {
    lastFileIndex = -1;
    cancelButton->setEnabled(false);
    checkButton->setEnabled(true);
    updateButton->setEnabled(false);
    statusLabel->hide();
    cancelButton->setCaption(q(Texts.Cancel));
    checkButton->setCaption(q(Texts.Check));
    updateButton->setCaption(q(Texts.Update));
    fileLabels[0]->hide();
    progressBars[0]->hide();
    savedProgressPos_ = progressBars[0]->pos();
    savedLabelPos_ = fileLabels[0]->pos();
    loadSkin();
}

void UpdateWindow::writeTexts() {
    step([&] {
        titleLabel->setText(QStringLiteral("Varnel Zize ") + q(Texts.Update));
        setWindowTitle(titleLabel->text());
    });
    nameControlsForAssistiveTech();
}

void UpdateWindow::ensureSlot(size_t i) {
    while (fileLabels.size() <= i) {
        auto* label = new SkinLabel(this);
        label->setPalette(fileLabels[0]->palette());
        label->setGeometry(QRect(savedLabelPos_, fileLabels[0]->size()));
        label->setReactsToMouse(false);
        auto* bar = new QProgressBar(this);
        bar->setGeometry(QRect(savedProgressPos_, progressBars[0]->size()));
        bar->setTextVisible(false);
        fileLabels.push_back(label);
        progressBars.push_back(bar);
    }
    while (downloadSlots.size() <= i) {
        const size_t index = downloadSlots.size();
        UpdateDownload::Hooks hooks{[this] { return cancelRequested_; }, [this] { rollBack(); },
                                    [](const QString& text) { ::varnel::showAlert(text.toStdString()); },
                                    [] { return q(Texts.CantConnect); }, [] { return q(Texts.DownloadCancelled); }};
        auto* download = new UpdateDownload(std::move(hooks), this);
        connect(download, &UpdateDownload::DownloadProgress, this,
                [this, index](qint64 read, qint64 total, const QString&) {
                    showDownloadProgress(index, read, total);
                });
        connect(download, &UpdateDownload::DownloadComplete, this, [this, index](qint64, const QString&) {
            downloadFinished(index);
            if (batchRunning_ && index == currentFile_) fileArrived();
            else if (index == 0 && awaitingManifest_) readManifest();
        });
        downloadSlots.push_back(download);
    }
    nameControlsForAssistiveTech();
}

void UpdateWindow::check() {
    std::string organisationServer;
    if (policy_) {
        const Policy& policy = policy_->read();
        if (policy.disablesOnlineUpdate()) return ::varnel::showAlert(Texts.UpdateTurnedOff);
        organisationServer = policy.updateServer();
    }
    // The batch that follows the check fetches from the same server.
    server_ = updateServerBase(organisationServer);
    cancelRequested_ = false;
    guarded("btnCheck", [] {
        const fs::path manifest = programPath("update.upd");
        if (fs::exists(manifest)) fs::remove(manifest);
    });
    fileLabels[0]->show();
    progressBars[0]->show();
    fileLabels[0]->setText(QStringLiteral("Update.upd"));
    release_.reset();
    awaitingManifest_ = true;
    // With a release key the manifest arrives only together with its proof.
    if (releaseKey()) {
        if (!releaseCheck_) {
            releaseCheck_ = new ReleaseCheck(this);
            connect(releaseCheck_, &ReleaseCheck::verified, this, [this](const VerifiedRelease& release) {
                release_ = release;
                if (awaitingManifest_) readManifest();
            });
            connect(releaseCheck_, &ReleaseCheck::refused, this, [this] { awaitingManifest_ = false; });
        }
        releaseCheck_->start(q(server_));
    } else {
        downloadSlots[0]->BeginDownload(q(server_ + "Update.upd"), filePath("Update.upd"));
    }
    if (unloaded_) return;  // a download that could not start rolled back and closed the window
    fileLabels[0]->hide();
    progressBars[0]->hide();
}

void UpdateWindow::readManifest() {
    awaitingManifest_ = false;
    if (std::optional<DownloadList> list = readManifestFile(*this)) downloads_ = std::move(*list);
}

void UpdateWindow::startUpdate() {
    cancelButton->setEnabled(true);
    cancelRequested_ = false;
    rolledBack_ = false;
    checkButton->setEnabled(false);
    updateButton->setEnabled(false);
    showStatus(Texts.Downloading);
    downloadFiles();
}

void UpdateWindow::cancel() { requestCancel(); }

void UpdateWindow::closeWindow() {
    // During a batch closing is Cancel: the roll-back closes the window.
    if (batchRunning_) {
        closeRequested_ = true;
        requestCancel();
        return;
    }
    cancelRequested_ = true;
    unload();
}

void UpdateWindow::requestCancel() {
    cancelRequested_ = true;
    if (!batchRunning_) return;
    QTimer::singleShot(0, this, [this] {
        if (batchRunning_ && cancelRequested_) rollBack();
    });
}

void UpdateWindow::rollBack() {
    if (rolledBack_) return;
    rolledBack_ = true;
    // A read still under way must not complete into a place the roll-back clears.
    for (UpdateDownload* download : downloadSlots) download->abandon();
    cancelUpdate(*this);
    if (batchRunning_) endBatch();
}

void UpdateWindow::downloadFiles() {
    batchRunning_ = true;
    closeRequested_ = false;
    currentFile_ = 0;
    startNextFile();
}

void UpdateWindow::startNextFile() {
    for (; currentFile_ < downloads_.files.size(); ++currentFile_) {
        const size_t i = currentFile_;
        const std::string file = downloads_.files[i];
        ensureSlot(i);
        fileLabels[i]->show();
        fileLabels[i]->raise();
        progressBars[i]->setValue(0);
        progressBars[i]->show();
        progressBars[i]->raise();
        fileLabels[i]->setText(q(file));

        const std::optional<std::string> destination = prepareDestination(file, restartNeeded);
        if (cancelRequested_) {
            rollBack();
            return;
        }
        if (!destination) {
            fileLabels[i]->hide();
            progressBars[i]->hide();
            continue;
        }
        // A file that is not the release's own stops the batch as Cancel does.
        downloadSlots[i]->BeginDownload(q(updateFileUrl(server_, file)), filePath(*destination),
                                          downloadCheckFor(file, release_, [this] {
                                              ::varnel::showAlert(Texts.UpdateNotVerified);
                                              requestCancel();
                                          }));
        // Its completion goes on with the next file; a download that could
        // not start, or met the cancel flag, has rolled the batch back.
        return;
    }

    if (!restartNeeded) {
        // Every file of the release is in place; with a hand-over the updater keeps the number.
        if (release_) recordInstalledRelease(*release_);
        showStatus(Texts.ChangesRestart);
    } else {
        handOverToUpdater();
    }
    endBatch();
}

void UpdateWindow::fileArrived() {
    if (rolledBack_) return;
    const size_t i = currentFile_;
    dropBackup(downloads_.files[i]);
    fileLabels[i]->hide();
    progressBars[i]->hide();
    ++currentFile_;
    startNextFile();
}

void UpdateWindow::endBatch() {
    batchRunning_ = false;
    emit batchEnded();
    // A close during the batch that no roll-back answered takes effect now.
    if (closeRequested_ && !unloaded_) unload();
}

void UpdateWindow::handOverToUpdater() {
    saveVerifiedReleaseForUpdater(release_);
    ::varnel::showAlert(Texts.Restart);
    emit handOverRequested(filePath(updaterFileName()), {QStringLiteral("moveexedb")});
}

void UpdateWindow::showDownloadProgress(size_t index, qint64 bytesRead, qint64 totalBytes) {
    // A value above the maximum is ignored by the bar itself.
    progressBars[index]->setMaximum(static_cast<int>(std::min<qint64>(totalBytes, INT32_MAX)));
    progressBars[index]->setValue(static_cast<int>(std::min<qint64>(bytesRead, INT32_MAX)));
}

void UpdateWindow::downloadFinished(size_t index) {
    if (fileLabels[index]->text() != QLatin1String("Update.upd") && index < downloads_.files.size()) {
        dbExec(sqlRecordFileVersion(downloads_.files[index], downloads_.versions[index]));
        lastFileIndex = static_cast<int>(downloads_.versions.size()) - 1;
    }
    fileLabels[index]->setText(q(Texts.Finished));
    if (static_cast<int>(index) == lastFileIndex) {
        cancelButton->setEnabled(false);
        updateButton->setEnabled(false);
        // After a batch of a single file Check stays disabled.
        if (index != 0) checkButton->setEnabled(true);
        ::varnel::showAlert(Texts.UpToDate);
    }
}

void UpdateWindow::showMessage(const std::string& text) {
    messageLabel->setText(q(text));
    messageLabel->show();
}

void UpdateWindow::hideMessage() { messageLabel->hide(); }

void UpdateWindow::showStatus(const std::string& text) {
    statusLabel->setText(q(text));
    statusLabel->show();
}

void UpdateWindow::setCheckEnabled(bool enabled) { checkButton->setEnabled(enabled); }
void UpdateWindow::setUpdateEnabled(bool enabled) { updateButton->setEnabled(enabled); }
void UpdateWindow::setCancelEnabled(bool enabled) { cancelButton->setEnabled(enabled); }
void UpdateWindow::showAlert(const std::string& text) { ::varnel::showAlert(text); }

void UpdateWindow::unload() {
    unloaded_ = true;
    // A closed window's reads end with it, before any of them reports again.
    for (UpdateDownload* download : downloadSlots) download->abandon();
    hide();
    // Deleted once the event being handled has returned, never under it.
    deleteLater();
}

void UpdateWindow::closeEvent(QCloseEvent* event) {
    // During a batch the window stays until the roll-back closes it.
    if (batchRunning_) event->ignore();
    else event->accept();
    closeWindow();
}

void UpdateWindow::closeForTray() {
    if (unloaded_) return;
    const bool downloading = isVisible() && cancelButton->enabledState();
    if (downloading) closeWindow();
    else unload();
}

// ---- keyboard and screen readers ----------------------------------------------

void UpdateWindow::setUpKeyboard() {
    setTabOrderChain({checkButton, updateButton, cancelButton, closeButton});
    checkButton->setFocus();
    // Escape is the close button: during a download it cancels.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { closeWindow(); });
}

void UpdateWindow::nameControlsForAssistiveTech() {
    closeButton->setAccessibleName(q(Texts.Close));
    // Each bar is labelled by the file it downloads.
    for (size_t i = 0; i < progressBars.size(); ++i) {
        progressBars[i]->setAccessibleName(q(Texts.DownloadProgress));
        fileLabels[i]->setBuddy(progressBars[i]);
    }
}

}  // namespace varnel
