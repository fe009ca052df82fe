#include "support/x_desktop.h"

#include <QMap>
#include <QThread>

#include "support/program_folder_copy.h"

namespace varnel::test {

HelperProcess::HelperProcess(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                             bool keepOutput) {
    process.setProcessEnvironment(env);
    if (keepOutput) {
        process.setProcessChannelMode(QProcess::MergedChannels);
    } else {
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    }
    process.start(program, args);
    process.waitForStarted(5000);
}

HelperProcess::~HelperProcess() {
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QString runTool(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(timeoutMs);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QRect windowGeometry(const QString& window, const QProcessEnvironment& env) {
    QMap<QString, int> v;
    for (const QString& line : runTool("xdotool", {"getwindowgeometry", "--shell", window}, env).split('\n'))
        v[line.section('=', 0, 0)] = line.section('=', 1).toInt();
    return QRect(v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]);
}

QString firstLineOf(QProcess& helper) {
    ProgramFolderCopy::waitFor([&] { return helper.canReadLine() || (helper.waitForReadyRead(100) && helper.canReadLine()); },
                               10000);
    return helper.canReadLine() ? QString::fromUtf8(helper.readLine()).trimmed() : QString();
}

SessionBus::SessionBus(QProcessEnvironment& env) {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    address_ = firstLineOf(daemon_);
    if (up()) env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
}

SessionBus::~SessionBus() {
    daemon_.terminate();
    daemon_.waitForFinished(3000);
}

TrayDisplay::TrayDisplay(QProcessEnvironment& env, bool withTray) {
    xvfb_.setStandardErrorFile(QProcess::nullDevice());
    xvfb_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    const QString number = firstLineOf(xvfb_);
    if (number.isEmpty()) return;
    env.insert("DISPLAY", ":" + number);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("WAYLAND_DISPLAY");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    if (!withTray) {
        up_ = true;
        return;
    }
    // On a busy machine trayer now and then shows no window: start it again.
    for (int attempt = 0; attempt < 3 && !up_; ++attempt) {
        tray_.reset();
        tray_ = std::make_unique<HelperProcess>(
            "trayer",
            QStringList{"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                        "--SetDockType", "true"},
            env);
        up_ = ProgramFolderCopy::waitFor([&] {
            trayWindow_ =
                runTool("xdotool", {"search", "--onlyvisible", "--class", "trayer"}, env).section('\n', 0, 0).trimmed();
            return !trayWindow_.isEmpty();
        }, 10000);
    }
}

TrayDisplay::~TrayDisplay() {
    tray_.reset();
    xvfb_.terminate();
    xvfb_.waitForFinished(3000);
}

bool switchGroupFromTrayMenu(const QProcessEnvironment& env, const QString& trayWindow,
                             const std::function<bool()>& switched, int timeoutMs) {
    const QPoint icon = windowGeometry(trayWindow, env).center();
    const QString cx = QString::number(icon.x()), cy = QString::number(icon.y());
    return ProgramFolderCopy::waitFor([&] {
        runTool("xdotool", {"mousemove", cx, cy, "click", "3"}, env);
        QThread::msleep(600);
        runTool("xdotool", {"key", "Down", "Right"}, env);
        QThread::msleep(400);
        runTool("xdotool", {"key", "Return"}, env);
        QThread::msleep(400);
        return switched();
    }, timeoutMs);
}

}  // namespace varnel::test
