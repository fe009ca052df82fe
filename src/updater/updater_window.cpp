#include "updater/updater_window.h"

#include <QApplication>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <filesystem>

#include "core/db.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "core/runtime_error.h"
#include "core/sql_statements.h"
#include "lang/language_file.h"
#include "lang/text_table.h"
#include "skin/skin_picture.h"
#include "skin/system_message.h"
#include "skin/window_drag.h"
#include "update/update_paths.h"
#include "update/verified_release.h"
#include "updater/end_task.h"
#include "updater/make_version.h"
#include "updater/move_files.h"
#include "updater/release_signing.h"

namespace varnel::updater {

namespace {

namespace fs = std::filesystem;

const char* const kLoadLabel = "sLoader Update.exe";
const QString kMakeVersion = QStringLiteral("makeversion1");
const QString kGenkey = QStringLiteral("genkey ");
const QString kSignRelease = QStringLiteral("signrelease ");
// Between two looks at a main program that is still ending, or at a file it still holds.
constexpr int kRetryPauseMs = 100;
// How long a main program file that is missing after the move may take to appear.
constexpr int kMainProgramFileWaitMs = 5000;
// How long the new copy's start waits for the old copy to finish ending.
constexpr int kOldCopyEndWaitMs = 20000;

QString usageText() {
    return QStringLiteral("Avalible commands are:\r\n\r\nendmainapp\r\nmakeversion1\r\nmoveexedb\r\n\r\nVersion: %1.%2.%3")
        .arg(VARNEL_VERSION_MAJOR)
        .arg(VARNEL_VERSION_MINOR)
        .arg(VARNEL_VERSION_REVISION) +
           QStringLiteral("\r\n\r\ngenkey <folder>\r\nmakeversion1 <secret key file>\r\nsignrelease <secret key file>\r\n\r\n") +
           QString::fromStdString(releaseKeyNote());
}

bool mainProgramRunning() { return anotherCopyRunning(EndTask); }

void messageBox(const QString& text) { showSystemMessage(QStringLiteral("Varnel_Zize_Update"), text); }

}  // namespace

UpdaterWindow::UpdaterWindow(QString command)
    : SkinWindow({kLoadLabel, QSize(250, 100), "\\Build\\MsgBox.gif", Placement::Unmoved, "\\build\\Icon\\Update.ico"}),
      infoLabel(new SkinLabel(this)),
      dotsLabel(new SkinLabel(this)),
      closePicture(new SkinLabel(this)),
      detailsText(new QPlainTextEdit(this)),
      dotsTimer(new QTimer(this)),
      waitTimer(new QTimer(this)),
      command_(std::move(command)) {
    setWindowTitle(QStringLiteral("Varnel Zize Update"));
    titleLabel->setText(QStringLiteral("Varnel Zize Update"));
    infoLabel->setGeometry(9, 31, 225, 30);
    infoLabel->setAlignment(Qt::AlignCenter);
    infoLabel->setWordWrap(true);
    QPalette ink = infoLabel->palette();
    ink.setColor(QPalette::WindowText, QColor(38, 50, 66));
    infoLabel->setPalette(ink);
    dotsLabel->setPalette(ink);
    makeDragSurface(infoLabel);
    dotsLabel->setGeometry(9, 62, 225, 20);
    dotsLabel->setAlignment(Qt::AlignCenter);
    dotsLabel->setText(QStringLiteral("."));
    dotsLabel->setReactsToMouse(false);
    closePicture->move(226, 5);
    detailsText->hide();
    dotsTimer->setInterval(100);
    waitTimer->setInterval(2000);
    waitTimer->setSingleShot(true);
    connect(dotsTimer, &QTimer::timeout, this, &UpdaterWindow::advanceDots);
    connect(waitTimer, &QTimer::timeout, this, &UpdaterWindow::waitStep);
    dotsTimer->start();
    load();
}

void UpdaterWindow::load() {
    auto step = [this](const auto& statement) { this->step(statement); };
    loadSkin();
    // The close picture only shows; the updater cannot be stopped halfway.
    step([&] {
        const qreal ratio = devicePixelRatioF();
        closePicture->setPixmap(skinPixmap(loadSkinPicture("\\Build\\Buttons\\Exit.gif", ratio), ratio));
        closePicture->adjustSize();
    });
    step([&] {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect s = screen->geometry();
            move(s.x() + s.width() / 2 - 150, s.y() + s.height() / 2 - 75);
        }
    });
    step([&] {
        CurrentLanguage = regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "Language"));
        parseLanguageFile(CurrentLanguage, LanguageKeys::Updater);
    });
    step([&] { infoLabel->setText(QString::fromStdString(Texts.UpdateExe)); });
    waitTimer->start();
}

UpdaterWindow::~UpdaterWindow() = default;

void UpdaterWindow::advanceDots() {
    if (dots_ == 10) {
        dotsLabel->setText(QStringLiteral("."));
        dots_ = 0;
    } else {
        dotsLabel->setText(dotsLabel->text() + QLatin1Char('.'));
        ++dots_;
    }
}

void UpdaterWindow::waitStep() {
    waitTimer->stop();
    runCommand();
    if (!commandRunning_) finish();
}

void UpdaterWindow::finish() {
    commandRunning_ = false;
    ended_ = true;
    QCoreApplication::quit();
}

void UpdaterWindow::runCommand() {
    if (command_ == kMakeVersion || command_.startsWith(kMakeVersion + QLatin1Char(' '))) {
        // A secret key as the second word signs the release; a key that cannot
        // be used stops the build before anything is touched.
        if (command_ != kMakeVersion) {
            std::string why;
            signingKey_ = releaseSigningKey(command_.mid(kMakeVersion.size() + 1).toStdString(), why);
            if (!signingKey_) {
                messageBox(QString::fromStdString(why));
                return;
            }
        }
        guarded(kLoadLabel, [] {
            const fs::path manifest = programPath("Update.upd");
            if (fs::exists(manifest)) fs::remove(manifest);
        });
        previousRelease_ = previousReleaseNumber();
        removeReleaseProof();
        dbExec(sqlEmptyVersionTable());
        dbExec(sqlEmptyGroupTable());
        builder_ = std::make_unique<ReleaseBuilder>();
        commandRunning_ = true;
        makeVersionStep();
        return;
    }
    if (command_ == QLatin1String("moveexedb")) {
        commandRunning_ = true;
        checkWaitingFilesStep();
    }
}

void UpdaterWindow::makeVersionStep() {
    // One file per turn of the event loop keeps the window alive in a large release.
    if (builder_->addNextFile()) {
        QTimer::singleShot(0, this, &UpdaterWindow::makeVersionStep);
        return;
    }
    const std::string text = builder_->finish();
    builder_.reset();
    detailsText->setPlainText(QString::fromStdString(text));
    messageBox(QStringLiteral("Upd file created") + QString::fromStdString(finishRelease(signingKey_, previousRelease_)));
    finish();
}

void UpdaterWindow::checkWaitingFilesStep() {
    // Files in Temp that the verified release does not vouch for stay out;
    // they are read once the main program is gone.
    if (waitingFilesNeedCheck() && mainProgramRunning()) {
        QTimer::singleShot(kRetryPauseMs, this, &UpdaterWindow::checkWaitingFilesStep);
        return;
    }
    waiting_ = checkWaitingFiles();
    if (!waiting_.verified) {
        // The user, last told to restart, learns why the old program is back.
        startMainProgram();
        messageBox(QString::fromStdString(Texts.UpdateNotVerified));
        finish();
        return;
    }
    move_ = std::make_unique<FileMove>(Hooks{mainProgramRunning,
                                             [](const std::string& text) { messageBox(QString::fromStdString(text)); },
                                             [this] { showNormal(); }});
    moveStep();
}

void UpdaterWindow::moveStep() {
    switch (move_->step()) {
    case MoveStep::TryAgain: QTimer::singleShot(kRetryPauseMs, this, &UpdaterWindow::moveStep); return;
    case MoveStep::GaveUp: finish(); return;
    case MoveStep::Moved: startWhenMainProgramFileIsThere(); return;
    }
}

void UpdaterWindow::startWhenMainProgramFileIsThere() {
    // A new copy that meets the old one still ending would take it for
    // another copy and refuse to start. On Windows the old copy's locked file
    // holds the move back until it has gone; elsewhere the start waits here.
    if (ended_) return;
    if (mainProgramCopyRunning() && ++oldCopyLooks_ < kOldCopyEndWaitMs / kRetryPauseMs) {
        QTimer::singleShot(kRetryPauseMs, this, &UpdaterWindow::startWhenMainProgramFileIsThere);
        return;
    }
    const auto startIfThere = [this] {
        if (ended_ || !fs::exists(programPath(mainProgramEntry()))) return;
        recordWhenInPlace(waiting_);
        startMainProgram();
        finish();
    };
    startIfThere();
    if (ended_) return;
    // Missing after the move (the move was logged): watched for a moment, then the user is told.
    auto* watch = new QFileSystemWatcher(this);
    watch->addPath(QString::fromStdString(pathText(programFolder())));
    connect(watch, &QFileSystemWatcher::directoryChanged, this, startIfThere);
    QTimer::singleShot(kMainProgramFileWaitMs, this, [this, watch] {
        if (ended_) return;
        watch->disconnect(this);
        messageBox(QStringLiteral("Cant restart varnel_Zize, Please try manually."));
        finish();
    });
}

void UpdaterWindow::startMainProgram() {
    const QString program = QString::fromStdString(pathText(programPath(mainProgramEntry())));
    if (!QProcess::startDetached(program, {}, QString::fromStdString(pathText(programFolder()))))
        logError(errorLine("Varnel_Zize_Update.exe - moveFiles", err::FileNotFound, "File not found") + "\t");
}

int runUpdater(const QString& command) {
    if (command == QLatin1String("endmainapp")) {
        mainProgramRunning();
        return 0;
    }
    if (command.isEmpty()) {
        messageBox(usageText());
        return 0;
    }
    if (command.startsWith(kGenkey)) {
        messageBox(QString::fromStdString(genkey(command.mid(kGenkey.size()).toStdString())));
        return 0;
    }
    if (command.startsWith(kSignRelease)) {
        messageBox(QString::fromStdString(signrelease(command.mid(kSignRelease.size()).toStdString())));
        return 0;
    }
    UpdaterWindow window(command);
    window.show();
    return QApplication::exec();
}

}  // namespace varnel::updater
