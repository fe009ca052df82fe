#include "shell/program.h"

#include <QProcess>
#include <cstdio>
#include <cstdlib>

#include "core/log.h"
#include "core/program_folder.h"
#include "core/setting_text.h"
#include "editor/frm_main.h"
#include "lang/language_file.h"
#include "lang/language_list.h"
#include "lang/text_table.h"
#include "places/group_loader.h"
#include "places/places_bar.h"
#include "places/settings_defaults.h"
#include "places/single_instance.h"
#include "shell/frm_splash.h"
#include "shell/frm_tray.h"
#include "skin/message_boxes.h"
#include "skin/system_message.h"
#include "update/frm_update.h"

namespace varnel {

void endProgramNow(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

Program::Program() = default;

Program::~Program() {
    delete updateWindow_.data();
    delete splash_.data();
}

void Program::start(const QString& commandLine) {
    const std::string label = "Splash_err";
    splash_ = new frmSplash(frmSplash::Role::Splash);
    connect(splash_, &frmSplash::splashEnded, this, [this] { editor().show(); });
    bool another = false;
    guarded(label, [&] { another = IsStarted(); });
    if (another) {
        showSystemMessage(QStringLiteral("Varnel_Zize"),
                          QString::fromStdString(programBaseName()) + QStringLiteral(" allready started."));
        endProgramNow(0);
    }
    guarded(label, [&] { TraceOn = commandLine == QLatin1String("loggaren"); });
    if (commandLine == QLatin1String("deletereg")) {
        deleteSettings(label);
        guarded(label, [&] { removePlaces(); });
        endProgramNow(0);
    }
    splash_->load();
}

void Program::finishStartUp() {
    if (editor_) return;
    if (splash_ && !splash_->isAboutBox()) splash_->Timer1_Timer();
}

frmTray& Program::tray() {
    if (!tray_) {
        tray_ = std::make_unique<frmTray>();
        tray_->initFrm();
        frmTray* tray = tray_.get();
        connect(tray, &frmTray::editorToggleRequested, this, [this] { toggleEditor(); });
        connect(tray, &frmTray::editorRaiseRequested, this, [this] {
            if (editor_ && editor_->isVisible()) editor_->activateWindow();
        });
        connect(tray, &frmTray::showEditorRequested, this, [this] { showEditorNormal(); });
        connect(tray, &frmTray::hideEditorRequested, this, [this] { editor().minimiseToTray(); });
        connect(tray, &frmTray::aboutRequested, this, [this] { showAbout(); });
        connect(tray, &frmTray::updateRequested, this, [this] { showUpdateWindow(); });
        // The editor now shows the active group: it must not offer to delete it.
        connect(tray, &frmTray::groupActivated, this, [this] {
            if (editor_) editor_->Checkdustbin();
        });
        connect(tray, &frmTray::quitRequested, this, [this] { quit(); });
    }
    return *tray_;
}

frmMain& Program::editor() {
    if (!editor_) {
        editor_ = std::make_unique<frmMain>();
        frmMain* editor = editor_.get();
        connect(editor, &frmMain::activeGroupChanged, this, [this] { tray().UpdateIcon(); });
        connect(editor, &frmMain::menuRequested, this, [this](const QPoint& at) { tray().mPopupMenu()->popup(at); });
        connect(editor, &frmMain::quitRequested, this, [this] { quit(); });
        loadEditor();
    }
    return *editor_;
}

// The editor's load, which is the rest of the program's start-up.
void Program::loadEditor() {
    const std::string label = "Main_err";
    frmMain& editor = *editor_;
    guarded(label, [] { InitSettings(); });
    bool groups = false;
    guarded(label, [&] {
        tray();  // its menus are filled from here on
        groups = LoadListFromDb();
    });
    editor.showStartGroup(groups, label);
    guarded(label, [&] { CurrentLanguage = readSettingText("Language"); });
    guarded(label, [&] { parseLanguageFile(CurrentLanguage); });
    guarded(label, [&] { checkForLanguageFiles(); });
    guarded(label, [&] { editor.writeCaptions(); });
    guarded(label, [&] { tray().initFrm(); });
    guarded(label, [&] { editor.Checkdustbin(); });
    guarded(label, [&] { editor.sLoader(); });
    guarded(label, [&] { tray().UpdateIcon(); });
}

void Program::showEditorNormal() {
    frmMain& shown = editor();
    shown.show();
    shown.setWindowState(Qt::WindowNoState);
}

void Program::toggleEditor() {
    if (splash_) splash_->unload();
    if (updateWindow_) updateWindow_->closeForTray();
    frmMain& shown = editor();
    if (shown.isVisible()) {
        shown.hide();
    } else {
        shown.show();
        shown.setWindowState(Qt::WindowNoState);
        shown.raise();
        shown.activateWindow();
        shown.update();
    }
}

frmUpdate* Program::updateWindow() const { return updateWindow_.data(); }

frmSplash* Program::splash() const { return splash_.data(); }

void Program::showUpdateWindow() {
    if (!updateWindow_) {
        updateWindow_ = new frmUpdate();
        connect(updateWindow_, &frmUpdate::handOverRequested, this, &Program::handOverToUpdater);
    }
    updateWindow_->setWindowState(Qt::WindowNoState);
    updateWindow_->showModal(SkinWindow::ModalScope::Editor);
}

void Program::showAbout() {
    if (splash_) splash_->unload();
    splash_ = new frmSplash(frmSplash::Role::About);
    splash_->load();
    splash_->showModal(SkinWindow::ModalScope::Editor);
}

void Program::handOverToUpdater(const QString& updater, const QStringList& arguments) {
    removePlaces();
    if (tray_) tray_->deleteIcon();
    QProcess::startDetached(updater, arguments, QString::fromStdString(pathText(programFolder())));
    endProgramNow(0);
}

void Program::shutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    removePlaces();
    if (tray_) tray_->deleteIcon();
}

void Program::quit() {
    shutDown();
    endProgramNow(0);
}

}  // namespace varnel
