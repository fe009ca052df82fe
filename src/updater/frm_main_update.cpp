#include "updater/frm_main_update.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <filesystem>

#include "core/db.h"
#include "core/events.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "core/runtime_error.h"
#include "core/sql_statements.h"
#include "lang/language_file.h"
#include "lang/text_table.h"
#include "shell/system_message.h"
#include "skin/skin_picture.h"
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
constexpr int kMainProgramPolls = 200000;

QString usageText() {
    return QStringLiteral("Avalible commands are:\r\n\r\nendmainapp\r\nmakeversion1\r\nmoveexedb\r\n\r\nVersion: %1.%2.%3")
        .arg(VARNEL_VERSION_MAJOR)
        .arg(VARNEL_VERSION_MINOR)
        .arg(VARNEL_VERSION_REVISION) +
           QStringLiteral("\r\n\r\ngenkey <folder>\r\nmakeversion1 <secret key file>\r\nsignrelease <secret key file>\r\n\r\n") +
           QString::fromStdString(releaseKeyNote());
}

bool mainProgramRunning() { return IsStarted(EndTask); }

void messageBox(const QString& text) { showSystemMessage(QStringLiteral("Varnel_Zize_Update"), text); }

}  // namespace

frmMain::frmMain(QString command)
    : SkinWindow({kLoadLabel, QSize(250, 100), "\\Build\\MsgBox.gif", Placement::Unmoved, "\\build\\Icon\\Update.ico"}),
      lblInfo(new SkinLabel(this)),
      lblDot(new SkinLabel(this)),
      ExitPic(new SkinLabel(this)),
      Text1(new QPlainTextEdit(this)),
      tmrAnim(new QTimer(this)),
      tmrWait(new QTimer(this)),
      command_(std::move(command)) {
    setWindowTitle(QStringLiteral("Varnel Zize Update"));
    lblTitle->setText(QStringLiteral("Varnel Zize Update"));
    lblInfo->setGeometry(9, 31, 225, 30);
    lblInfo->setAlignment(Qt::AlignCenter);
    lblInfo->setWordWrap(true);
    QPalette ink = lblInfo->palette();
    ink.setColor(QPalette::WindowText, QColor(38, 50, 66));
    lblInfo->setPalette(ink);
    lblDot->setPalette(ink);
    makeDragSurface(lblInfo);
    lblDot->setGeometry(9, 62, 225, 20);
    lblDot->setAlignment(Qt::AlignCenter);
    lblDot->setText(QStringLiteral("."));
    lblDot->setReactsToMouse(false);
    ExitPic->move(226, 5);
    Text1->hide();
    tmrAnim->setInterval(100);
    tmrWait->setInterval(2000);
    tmrWait->setSingleShot(true);
    connect(tmrAnim, &QTimer::timeout, this, &frmMain::tmrAnim_Timer);
    connect(tmrWait, &QTimer::timeout, this, &frmMain::tmrWait_Timer);
    tmrAnim->start();
    Form_Load();
}

void frmMain::Form_Load() {
    auto step = [this](const auto& statement) { this->step(statement); };
    sLoader();
    // The close picture only shows; the updater cannot be stopped halfway.
    step([&] {
        ExitPic->setPixmap(QPixmap::fromImage(loadSkinPicture("\\Build\\Buttons\\Exit.gif")));
        ExitPic->adjustSize();
    });
    step([&] {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect s = screen->geometry();
            move(s.x() + s.width() / 2 - 150, s.y() + s.height() / 2 - 75);
        }
    });
    step([&] {
        CurrentLanguage = regText(RegKeyQuery(HKEY_CURRENT_USER, kSettingsKey, "Language"));
        parseLanguageFile(CurrentLanguage, LanguageKeys::Updater);
    });
    step([&] { lblInfo->setText(QString::fromStdString(Texts.UpdateExe)); });
    tmrWait->start();
}

void frmMain::tmrAnim_Timer() {
    letPendingEventsRun();
    if (dots_ == 10) {
        lblDot->setText(QStringLiteral("."));
        dots_ = 0;
    } else {
        lblDot->setText(lblDot->text() + QLatin1Char('.'));
        ++dots_;
    }
}

void frmMain::tmrWait_Timer() {
    sStarter();
    tmrWait->stop();
    QCoreApplication::quit();
}

void frmMain::sStarter() {
    if (command_ == kMakeVersion || command_.startsWith(kMakeVersion + QLatin1Char(' '))) {
        // A secret key as the second word signs the release; a key that cannot
        // be used stops the build before anything is touched.
        std::optional<SecretKey> key;
        if (command_ != kMakeVersion) {
            std::string why;
            key = releaseSigningKey(command_.mid(kMakeVersion.size() + 1).toStdString(), why);
            if (!key) {
                messageBox(QString::fromStdString(why));
                return;
            }
        }
        guarded(kLoadLabel, [] {
            const fs::path manifest = programPath("Update.upd");
            if (fs::exists(manifest)) fs::remove(manifest);
        });
        const std::optional<std::uint64_t> previousRelease = previousReleaseNumber();
        removeReleaseProof();
        dbExec(sqlEmptyVersionTable(), DbStatusUse::Ignore);
        dbExec(sqlEmptyGroupTable(), DbStatusUse::Ignore);
        const std::string text = makeVersion();
        Text1->setPlainText(QString::fromStdString(text));
        messageBox(QStringLiteral("Upd file created") + QString::fromStdString(finishRelease(key, previousRelease)));
        return;
    }
    if (command_ == QLatin1String("moveexedb")) {
        // Files in Temp that the verified release does not vouch for stay out;
        // the user, last told to restart, learns why the old program is back.
        const WaitingFiles waiting = checkWaitingFiles(mainProgramRunning);
        if (!waiting.verified) {
            startMainProgram();
            messageBox(QString::fromStdString(Texts.UpdateNotVerified));
            return;
        }
        Hooks hooks{mainProgramRunning, [](const std::string& text) { messageBox(QString::fromStdString(text)); },
                    [this] { showNormal(); }};
        if (moveFiles(hooks) == MoveOutcome::GaveUp) return;
        for (int polls = 0; !fs::exists(programPath(mainProgramEntry()));) {
            letPendingEventsRun();
            if (++polls == kMainProgramPolls) {
                messageBox(QStringLiteral("Cant restart varnel_Zize, Please try manually."));
                return;
            }
        }
        recordWhenInPlace(waiting);
        startMainProgram();
    }
}

void frmMain::startMainProgram() {
    const QString program = QString::fromStdString(pathText(programPath(mainProgramEntry())));
    if (!QProcess::startDetached(program, {}, QString::fromStdString(pathText(programFolder()))))
        LogError(errorLine("Varnel_Zize_Update.exe - moveFiles", err::FileNotFound, "File not found") + "\t");
}

int runUpdater(const QString& command) {
    processPendingEvents = [] { QCoreApplication::processEvents(); };
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
    frmMain window(command);
    window.show();
    return QApplication::exec();
}

}  // namespace varnel::updater
