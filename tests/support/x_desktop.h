// A private X display with a notification area, and the tools the program
// tests use on it: helper processes, xdotool, the tray icon's group menu.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace varnel::test {

// A helper program on the test's display, stopped with the test. With
// keepOutput its output (both channels) can be read; else it is discarded.
struct HelperProcess {
    QProcess process;
    HelperProcess(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                  bool keepOutput = false);
    ~HelperProcess();
};

// Runs a tool to its end and gives what it printed on standard output.
QString runTool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                int timeoutMs = 20000);

// A window's place and size on the display.
QRect windowGeometry(const QString& window, const QProcessEnvironment& env);

// The first whole line a helper prints (a display number, a bus address).
QString firstLineOf(QProcess& helper);

// A D-Bus session bus of the test's own for as long as the object lives;
// points env at it. up() tells whether it came up.
class SessionBus {
public:
    explicit SessionBus(QProcessEnvironment& env);
    ~SessionBus();
    bool up() const { return !address_.isEmpty(); }

private:
    QProcess daemon_;
    QString address_;
};

// An X server of the test's own on a display number it chose itself (other
// suites start theirs at the same time), with trayer's notification area at
// the top right unless withTray is false. Points env at it, for Qt on xcb,
// without a session bus; up() tells whether everything came up.
class TrayDisplay {
public:
    explicit TrayDisplay(QProcessEnvironment& env, bool withTray = true);
    ~TrayDisplay();
    bool up() const { return up_; }
    const QString& trayWindow() const { return trayWindow_; }

private:
    QProcess xvfb_;
    std::unique_ptr<HelperProcess> tray_;
    QString trayWindow_;
    bool up_ = false;
};

// Opens the tray icon's menu with the right button and chooses Groups > the
// first enabled group (the active one is greyed), until `switched` holds.
bool switchGroupFromTrayMenu(const QProcessEnvironment& env, const QString& trayWindow,
                             const std::function<bool()>& switched, int timeoutMs);

}  // namespace varnel::test
