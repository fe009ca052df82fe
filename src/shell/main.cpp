// Varnel_Zize: the main program. It starts in its splash window, then lives
// in the notification area until one of its ways out; the program object
// owns its windows.

#include <QtGlobal>
#ifdef Q_OS_WIN
#include <windows.h>
#endif
#include <QApplication>
#include <QCloseEvent>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <utility>

#include "core/program_folder.h"
#include "places/single_instance.h"
#include "shell/close_channel.h"
#include "shell/command_line.h"
#include "shell/tray_icon.h"
#include "shell/program.h"
#include "shell/target_notice.h"
#include "shell/tray_notice.h"
#include "skin/readable_font.h"
#include "skin/skin_picture.h"
#include "update/compiled_release_key.h"
#include "update/leftover_backups.h"

using namespace varnel;

namespace {

// The hidden top-level window titled after the program: where the system
// finds it by title and asks it to close.
class CloseTarget : public QWidget {
public:
    explicit CloseTarget(std::function<void()> onClose) : onClose_(std::move(onClose)) {
        setWindowTitle(QStringLiteral("Varnel_Zize"));
        setAttribute(Qt::WA_DontShowOnScreen);
        winId();
#ifdef Q_OS_WIN
        // Qt adds the display name to native titles ("Varnel_Zize - Varnel
        // Zize"); the updater looks for this exact title.
        SetWindowTextW(reinterpret_cast<HWND>(winId()), L"Varnel_Zize");
#endif
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        onClose_();
    }

private:
    std::function<void()> onClose_;
};

// The whole argument text, as the program received it, without leading blanks.
QString commandLine(const QStringList& arguments) {
    QString text = arguments.mid(1).join(QLatin1Char(' '));
    while (text.startsWith(QLatin1Char(' '))) text.remove(0, 1);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    // Options speak to the copy that runs; they need no display.
    if (argc > 1 && argv[1][0] == '-') {
        QCoreApplication client(argc, argv);
        const QStringList arguments = QCoreApplication::arguments().mid(1);
        if (isCommandForRunningCopy(arguments)) return runCommandForRunningCopy(arguments);
    }

    // Wayland does not let a program place its windows; without a choice of
    // the user's, run on XWayland so the windows keep their places.
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel_Zize"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varnel Zize"));
    QApplication::setQuitOnLastWindowClosed(false);
    useReadableInterfaceFont();
    setReleaseKey(compiledReleaseKey());
    // A copy that died during a download left old program files in Temp;
    // they go back before anything reads the program folder. Not while
    // another copy runs: its download may be under way (and this copy is
    // refused anyway).
    if (!anotherCopyRunning()) restoreLeftoverBackups();
    try {
        QApplication::setWindowIcon(loadSkinIcon("\\build\\Icon\\Varnel.ico"));
    } catch (...) {
        // the splash window's own set-up reports a missing icon
    }

    // A system-wide install writes into the user's data folder.
    prepareDataFolder();

    Program program;
    program.addTargetsOfThisPlatform();
    tellTargetFailures(program);
    program.start(commandLine(QApplication::arguments()));
    program.watchPolicy();
    program.followProgramsInFront();

    // Only a copy that goes on running gets here. Whatever ends it from
    // outside (a close request, a termination signal, the end of the desktop
    // session) takes the program's own way out: what it wrote into the
    // dialogs' places goes, and so does its icon.
    const auto closeFromOutside = [&program] { program.quit(); };
    CloseTarget closeTarget(closeFromOutside);
    CloseListener listener(QStringLiteral("Varnel_Zize"), closeFromOutside);
    listener.setQueryHandler([&program](const QString& request) {
        if (request == QLatin1String("tooltip") && program.loadedTray()) return program.loadedTray()->toolTip();
        // The command line's --quit ends the program as the tray's Exit does.
        return answerCommand(request, program);
    });
    reportMissingTrayOnce(program);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&program](QSessionManager&) { program.quit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&program] { program.shutDown(); });
    return app.exec();
}
