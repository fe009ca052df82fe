#include "shell/program.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "core/log.h"
#include "core/program_folder.h"
#include "core/setting_text.h"
#include "editor/group_editor.h"
#include "lang/language_file.h"
#include "lang/language_list.h"
#include "lang/text_table.h"
#include "places/settings_defaults.h"
#include "places/single_instance.h"
#include "policy/policy_watch.h"
#include "programs/foreground_watch.h"
#include "shell/splash_window.h"
#include "shell/tray_icon.h"
#include "skin/message_boxes.h"
#include "skin/skin_window.h"
#include "skin/system_message.h"
#include "targets/this_platform.h"
#include "update/manifest_steps.h"
#include "update/update_window.h"

namespace varnel {

void endProgramNow(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

Program::Program() {
    // The organisation's groups beside the user's own, and its settings.
    groups_.followPolicy(policy_);
}

void Program::watchPolicy() {
    if (policyWatch_) return;
    policyWatch_ = std::make_unique<PolicyWatch>();
    connect(policyWatch_.get(), &PolicyWatch::changed, this, [this] {
        // Where the policy keys are missing, the watch covers much more than
        // the policy (on Windows all of Software, our own writes too): only a
        // policy that reads otherwise now is a change to follow.
        const Policy before = policy_.last();
        if (policy_.read() != before) followOutsideChange();
    });
}

void Program::followProgramsInFront() {
    if (foreground_) return;
    foreground_ = std::make_unique<ForegroundWatch>();
    if (!foreground_->available()) {
        // Said once the editor is there to say it over, in the user's language.
        programsNotSeen_ = !programBindings().empty();
        return;
    }
    connect(foreground_.get(), &ForegroundWatch::programInFront, this, [this](const ProgramInFront& program) {
        // Before the start-up has applied the active group, the program in
        // front waits for it.
        inFront_ = program;
        if (startedUp_ && !shutDown_) groups_.programInFront(program);
    });
    offerOpenPrograms();
}

void Program::offerOpenPrograms() {
    if (!foreground_ || !foreground_->available()) return;
    OpenPrograms open = [this] { return foreground_->programsWithWindows(); };
    if (tray_) tray_->setOpenPrograms(open);
    if (editor_) editor_->setOpenPrograms(open);
}

void Program::followOutsideChange() {
    if (shutDown_) return;
    // A box that waits for an answer is about what the editor shows now:
    // the change waits until it is answered.
    if (messageBoxWaiting()) {
        if (!outsideChangeWaits_) QTimer::singleShot(250, this, [this] {
            outsideChangeWaits_ = false;
            followOutsideChange();
        });
        outsideChangeWaits_ = true;
        return;
    }
    groups_.readAgain();
}

void Program::addTargetsOfThisPlatform() { varnel::addTargetsOfThisPlatform(targets_); }

Program::~Program() {
    delete updateWindow_.data();
    delete splash_.data();
}

void Program::start(const QString& commandLine) {
    const std::string label = "Splash_err";
    splash_ = new SplashWindow(SplashWindow::Role::Splash);
    connect(splash_, &SplashWindow::splashEnded, this, [this] { editor().show(); });
    bool another = false;
    guarded(label, [&] { another = anotherCopyRunning(); });
    if (another) {
        showSystemMessage(QStringLiteral("Varnel_Zize"),
                          QString::fromStdString(programBaseName()) + QStringLiteral(" allready started."));
        endProgramNow(0);
    }
    guarded(label, [&] { TraceOn = commandLine == QLatin1String("loggaren"); });
    if (commandLine == QLatin1String("deletereg")) {
        deleteSettings(label);
        guarded(label, [&] { targets_.remove(); });
        endProgramNow(0);
    }
    splash_->load();
}

void Program::finishStartUp() {
    if (editor_) return;
    if (splash_ && !splash_->isAboutBox()) splash_->splashTimeUp();
}

TrayIcon& Program::tray() {
    if (!tray_) {
        tray_ = std::make_unique<TrayIcon>(groups_);
        tray_->setUp();
        TrayIcon* tray = tray_.get();
        connect(tray, &TrayIcon::editorToggleRequested, this, [this] { toggleEditor(); });
        connect(tray, &TrayIcon::editorRaiseRequested, this, [this] {
            if (editor_ && editor_->isVisible()) editor_->activateWindow();
        });
        connect(tray, &TrayIcon::showEditorRequested, this, [this] { showEditorNormal(); });
        connect(tray, &TrayIcon::hideEditorRequested, this, [this] { editor().minimiseToTray(); });
        connect(tray, &TrayIcon::aboutRequested, this, [this] { showAbout(); });
        connect(tray, &TrayIcon::updateRequested, this, [this] { showUpdateWindow(); });
        connect(tray, &TrayIcon::quitRequested, this, [this] { quit(); });
        offerOpenPrograms();
    }
    return *tray_;
}

GroupEditor& Program::editor() {
    if (!editor_) {
        editor_ = std::make_unique<GroupEditor>(groups_);
        GroupEditor* editor = editor_.get();
        connect(editor, &GroupEditor::menuRequested, this, [this](const QPoint& at) { tray().menu()->popup(at); });
        connect(editor, &GroupEditor::quitRequested, this, [this] { quit(); });
        loadEditor();
        offerOpenPrograms();
    }
    return *editor_;
}

// The editor's load, which is the rest of the program's start-up.
void Program::loadEditor() {
    const std::string label = "Main_err";
    GroupEditor& editor = *editor_;
    guarded(label, [] { initSettings(); });
    bool groups = false;
    guarded(label, [&] {
        tray();  // its menus follow the groups from here on
        groups = groups_.reloadList();
    });
    editor.showStartGroup(groups, label);
    guarded(label, [&] { CurrentLanguage = readSettingText("Language"); });
    guarded(label, [&] { parseLanguageFile(CurrentLanguage); });
    guarded(label, [&] { tray().showLanguages(checkForLanguageFiles()); });
    guarded(label, [&] { editor.writeCaptions(); });
    guarded(label, [&] { tray().setUp(); });
    guarded(label, [&] { editor.updateForShownGroup(); });
    guarded(label, [&] { editor.loadSkin(); });
    guarded(label, [&] { tray().updateToolTip(); });
    startedUp_ = true;
    if (inFront_) guarded(label, [&] { groups_.programInFront(*inFront_); });
    if (programsNotSeen_) showNotice(Texts.ProgramsNotSeen);
}

void Program::showEditorNormal() {
    GroupEditor& shown = editor();
    shown.show();
    shown.setWindowState(Qt::WindowNoState);
}

void Program::toggleEditor() {
    if (splash_) splash_->unload();
    if (updateWindow_) updateWindow_->closeForTray();
    GroupEditor& shown = editor();
    if (shown.isVisible()) {
        shown.hide();
    } else {
        showEditorNormal();
        shown.raise();
        shown.activateWindow();
        shown.update();
    }
}

UpdateWindow* Program::updateWindow() const { return updateWindow_.data(); }

SplashWindow* Program::splash() const { return splash_.data(); }

void Program::showUpdateWindow() {
    // A window that closed may wait a moment for its deletion: a new one opens.
    if (!updateWindow_ || updateWindow_->isUnloaded()) {
        updateWindow_ = new UpdateWindow(&policy_);
        connect(updateWindow_, &UpdateWindow::handOverRequested, this, &Program::handOverToUpdater);
    }
    updateWindow_->setWindowState(Qt::WindowNoState);
    updateWindow_->showModal(SkinWindow::ModalScope::Editor);
}

void Program::showAbout() {
    if (splash_) splash_->unload();
    splash_ = new SplashWindow(SplashWindow::Role::About);
    splash_->load();
    splash_->showModal(SkinWindow::ModalScope::Editor);
}

void Program::handOverToUpdater(const QString& updater, const QStringList& arguments) {
    // Asked to end while the last box of the download was open: the program
    // stays ended, and the files that waited for the updater go back as on
    // Cancel, so that the next check offers them again.
    if (shutDown_) {
        guarded("cancelUpdate", [] { discardWaitingUpdate(); });
        return;
    }
    targets_.remove();
    if (tray_) tray_->removeIcon();
    QProcess::startDetached(updater, arguments, QString::fromStdString(pathText(programFolder())));
    endProgramNow(0);
}

void Program::shutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    targets_.removeForGood();
    if (tray_) tray_->removeIcon();
}

void Program::quit() {
    // A box that a step still under way opens must not hold the end up.
    setModalWaitsEnded(true);
    shutDown();
    // Every event loop ends, a modal box's too.
    QCoreApplication::exit(0);
}

}  // namespace varnel
