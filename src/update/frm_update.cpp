#include "update/frm_update.h"

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

frmUpdate::frmUpdate()
    : SkinWindow({"sLoader frmUpdate", QSize(401, 250), "\\Build\\UpdateWindow.gif", Placement::BesideEditor, {}}, nullptr,
                 Qt::Dialog),
      ExitButt1(new ExitButt(this)),
      btnCheck(new TightButt(this)),
      btnUpdate(new TightButt(this)),
      btnCancel(new TightButt(this)),
      lblUpdate(new SkinLabel(this)),
      lblMessage(new SkinLabel(this)) {
    setStyleSheet(skinStyleSheet());
    ExitButt1->move(ui::ExitButt1);
    btnCheck->move(ui::btnCheck);
    btnUpdate->move(ui::btnUpdate);
    btnCancel->move(ui::btnCancel);
    QPalette ink = lblUpdate->palette();
    ink.setColor(QPalette::WindowText, skinInkColour());
    lblUpdate->setPalette(ink);
    lblUpdate->setGeometry(ui::lblUpdate);
    QFont bold = lblUpdate->font();
    bold.setBold(true);
    lblUpdate->setFont(bold);
    lblMessage->setPalette(ink);
    lblMessage->setGeometry(ui::lblMessage);
    lblMessage->setWordWrap(true);
    // The server's text, shown as written, never as markup.
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage->hide();
    for (SkinLabel* label : {lblUpdate, lblMessage}) label->setReactsToMouse(false);

    auto* label = new SkinLabel(this);
    label->setPalette(ink);
    label->setGeometry(ui::lblCurrentFilename);
    label->setReactsToMouse(false);
    auto* bar = new QProgressBar(this);
    bar->setGeometry(ui::UpdateProgress);
    bar->setTextVisible(false);
    lblCurrentFilename.push_back(label);
    UpdateProgress.push_back(bar);
    ensureSlot(0);

    connect(btnCheck, &SkinButton::Click, this, &frmUpdate::btnCheck_Click);
    connect(btnUpdate, &SkinButton::Click, this, &frmUpdate::btnUpdate_Click);
    connect(btnCancel, &SkinButton::Click, this, &frmUpdate::btnCancel_Click);
    connect(ExitButt1, &SkinButton::Click, this, &frmUpdate::ExitButt1_Click);
    setUpKeyboard();
    Form_Load();
}

void frmUpdate::Form_Load() {
    lastFileIndex = -1;
    btnCancel->setEnabled(false);
    btnCheck->setEnabled(true);
    btnUpdate->setEnabled(false);
    lblUpdate->hide();
    btnCancel->setCaption(q(Texts.Cancel));
    btnCheck->setCaption(q(Texts.Check));
    btnUpdate->setCaption(q(Texts.Update));
    lblCurrentFilename[0]->hide();
    UpdateProgress[0]->hide();
    savedProgressPos_ = UpdateProgress[0]->pos();
    savedLabelPos_ = lblCurrentFilename[0]->pos();
    sLoader();
}

void frmUpdate::writeTexts() {
    step([&] {
        lblTitle->setText(QStringLiteral("Varnel Zize ") + q(Texts.Update));
        setWindowTitle(lblTitle->text());
    });
    nameControlsForAssistiveTech();
}

void frmUpdate::ensureSlot(size_t i) {
    while (lblCurrentFilename.size() <= i) {
        auto* label = new SkinLabel(this);
        label->setPalette(lblCurrentFilename[0]->palette());
        label->setGeometry(QRect(savedLabelPos_, lblCurrentFilename[0]->size()));
        label->setReactsToMouse(false);
        auto* bar = new QProgressBar(this);
        bar->setGeometry(QRect(savedProgressPos_, UpdateProgress[0]->size()));
        bar->setTextVisible(false);
        lblCurrentFilename.push_back(label);
        UpdateProgress.push_back(bar);
    }
    while (UpdateDownload1.size() <= i) {
        const size_t index = UpdateDownload1.size();
        UpdateDownload::Hooks hooks{[this] { return cancelRequested_; }, [this] { rollBack(); },
                                    [](const QString& text) { ::varnel::showAlert(text.toStdString()); },
                                    [] { return q(Texts.CantConnect); }, [] { return q(Texts.DownloadCancelled); }};
        auto* download = new UpdateDownload(std::move(hooks), this);
        connect(download, &UpdateDownload::DownloadProgress, this,
                [this, index](qint64 read, qint64 total, const QString&) {
                    UpdateDownload1_DownloadProgress(index, read, total);
                });
        connect(download, &UpdateDownload::DownloadComplete, this, [this, index](qint64, const QString&) {
            UpdateDownload1_DownloadComplete(index);
            if (batchRunning_ && index == currentFile_) fileArrived();
            else if (index == 0 && awaitingManifest_) readManifest();
        });
        UpdateDownload1.push_back(download);
    }
    nameControlsForAssistiveTech();
}

void frmUpdate::btnCheck_Click() {
    cancelRequested_ = false;
    guarded("btnCheck", [] {
        const fs::path manifest = programPath("update.upd");
        if (fs::exists(manifest)) fs::remove(manifest);
    });
    lblCurrentFilename[0]->show();
    UpdateProgress[0]->show();
    lblCurrentFilename[0]->setText(QStringLiteral("Update.upd"));
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
        releaseCheck_->start(q(updateServerBase()));
    } else {
        UpdateDownload1[0]->BeginDownload(q(updateServerBase() + "Update.upd"), filePath("Update.upd"));
    }
    if (unloaded_) return;  // a download that could not start rolled back and closed the window
    lblCurrentFilename[0]->hide();
    UpdateProgress[0]->hide();
}

void frmUpdate::readManifest() {
    awaitingManifest_ = false;
    if (std::optional<DownloadList> list = readUpdateFile(*this)) downloads_ = std::move(*list);
}

void frmUpdate::btnUpdate_Click() {
    btnCancel->setEnabled(true);
    cancelRequested_ = false;
    rolledBack_ = false;
    btnCheck->setEnabled(false);
    btnUpdate->setEnabled(false);
    showStatus(Texts.Downloading);
    downloadFiles();
}

void frmUpdate::btnCancel_Click() { requestCancel(); }

void frmUpdate::ExitButt1_Click() {
    // During a batch closing is Cancel: the roll-back closes the window.
    if (batchRunning_) {
        closeRequested_ = true;
        requestCancel();
        return;
    }
    cancelRequested_ = true;
    unload();
}

void frmUpdate::requestCancel() {
    cancelRequested_ = true;
    if (!batchRunning_) return;
    QTimer::singleShot(0, this, [this] {
        if (batchRunning_ && cancelRequested_) rollBack();
    });
}

void frmUpdate::rollBack() {
    if (rolledBack_) return;
    rolledBack_ = true;
    // A read still under way must not complete into a place the roll-back clears.
    for (UpdateDownload* download : UpdateDownload1) download->abandon();
    cancelUpdate(*this);
    if (batchRunning_) endBatch();
}

void frmUpdate::downloadFiles() {
    batchRunning_ = true;
    closeRequested_ = false;
    currentFile_ = 0;
    startNextFile();
}

void frmUpdate::startNextFile() {
    for (; currentFile_ < downloads_.files.size(); ++currentFile_) {
        const size_t i = currentFile_;
        const std::string file = downloads_.files[i];
        ensureSlot(i);
        lblCurrentFilename[i]->show();
        lblCurrentFilename[i]->raise();
        UpdateProgress[i]->setValue(0);
        UpdateProgress[i]->show();
        UpdateProgress[i]->raise();
        lblCurrentFilename[i]->setText(q(file));

        const std::optional<std::string> destination = prepareDestination(file, restartNeeded);
        if (cancelRequested_) {
            rollBack();
            return;
        }
        if (!destination) {
            lblCurrentFilename[i]->hide();
            UpdateProgress[i]->hide();
            continue;
        }
        // A file that is not the release's own stops the batch as Cancel does.
        UpdateDownload1[i]->BeginDownload(q(updateFileUrl(updateServerBase(), file)), filePath(*destination),
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

void frmUpdate::fileArrived() {
    if (rolledBack_) return;
    const size_t i = currentFile_;
    dropBackup(downloads_.files[i]);
    lblCurrentFilename[i]->hide();
    UpdateProgress[i]->hide();
    ++currentFile_;
    startNextFile();
}

void frmUpdate::endBatch() {
    batchRunning_ = false;
    emit batchEnded();
    // A close during the batch that no roll-back answered takes effect now.
    if (closeRequested_ && !unloaded_) unload();
}

void frmUpdate::handOverToUpdater() {
    saveVerifiedReleaseForUpdater(release_);
    ::varnel::showAlert(Texts.Restart);
    emit handOverRequested(filePath(updaterFileName()), {QStringLiteral("moveexedb")});
}

void frmUpdate::UpdateDownload1_DownloadProgress(size_t index, qint64 bytesRead, qint64 totalBytes) {
    // A value above the maximum is ignored by the bar itself.
    UpdateProgress[index]->setMaximum(static_cast<int>(std::min<qint64>(totalBytes, INT32_MAX)));
    UpdateProgress[index]->setValue(static_cast<int>(std::min<qint64>(bytesRead, INT32_MAX)));
}

void frmUpdate::UpdateDownload1_DownloadComplete(size_t index) {
    if (lblCurrentFilename[index]->text() != QLatin1String("Update.upd") && index < downloads_.files.size()) {
        dbExec(sqlRecordFileVersion(downloads_.files[index], downloads_.versions[index]));
        lastFileIndex = static_cast<int>(downloads_.versions.size()) - 1;
    }
    lblCurrentFilename[index]->setText(q(Texts.Finished));
    if (static_cast<int>(index) == lastFileIndex) {
        btnCancel->setEnabled(false);
        btnUpdate->setEnabled(false);
        // After a batch of a single file Check stays disabled.
        if (index != 0) btnCheck->setEnabled(true);
        ::varnel::showAlert(Texts.UpToDate);
    }
}

void frmUpdate::showMessage(const std::string& text) {
    lblMessage->setText(q(text));
    lblMessage->show();
}

void frmUpdate::hideMessage() { lblMessage->hide(); }

void frmUpdate::showStatus(const std::string& text) {
    lblUpdate->setText(q(text));
    lblUpdate->show();
}

void frmUpdate::setCheckEnabled(bool enabled) { btnCheck->setEnabled(enabled); }
void frmUpdate::setUpdateEnabled(bool enabled) { btnUpdate->setEnabled(enabled); }
void frmUpdate::setCancelEnabled(bool enabled) { btnCancel->setEnabled(enabled); }
void frmUpdate::showAlert(const std::string& text) { ::varnel::showAlert(text); }

void frmUpdate::unload() {
    unloaded_ = true;
    // A closed window's reads end with it, before any of them reports again.
    for (UpdateDownload* download : UpdateDownload1) download->abandon();
    hide();
    // Deleted once the event being handled has returned, never under it.
    deleteLater();
}

void frmUpdate::closeEvent(QCloseEvent* event) {
    // During a batch the window stays until the roll-back closes it.
    if (batchRunning_) event->ignore();
    else event->accept();
    ExitButt1_Click();
}

void frmUpdate::closeForTray() {
    if (unloaded_) return;
    const bool downloading = isVisible() && btnCancel->Enabled();
    if (downloading) ExitButt1_Click();
    else unload();
}

// ---- keyboard and screen readers ----------------------------------------------

void frmUpdate::setUpKeyboard() {
    setTabOrderChain({btnCheck, btnUpdate, btnCancel, ExitButt1});
    btnCheck->setFocus();
    // Escape is the close button: during a download it cancels.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { ExitButt1_Click(); });
}

void frmUpdate::nameControlsForAssistiveTech() {
    ExitButt1->setAccessibleName(q(Texts.Close));
    // Each bar is labelled by the file it downloads.
    for (size_t i = 0; i < UpdateProgress.size(); ++i) {
        UpdateProgress[i]->setAccessibleName(q(Texts.DownloadProgress));
        lblCurrentFilename[i]->setBuddy(UpdateProgress[i]);
    }
}

}  // namespace varnel
