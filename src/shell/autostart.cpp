#include "shell/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/log.h"
#include "core/path_text.h"
#include "core/registry.h"
#include "platform/platform.h"

namespace varnel {

#ifdef _WIN32

// Windows starts what the user's Run key names when the user logs on.
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Varnel Zize";

QString autostartEntryPath() {
    return QStringLiteral("HKEY_CURRENT_USER\\%1\\%2").arg(QString::fromLatin1(kRunKey), QString::fromLatin1(kRunValue));
}

bool autostartEnabled() { return !regText(queryValue(HKEY_CURRENT_USER, kRunKey, kRunValue)).empty(); }

bool setAutostart(bool on) {
    const std::string command = "\"" + pathText(platform::executablePath()) + "\"";
    if (on)
        setValue(HKEY_CURRENT_USER, kRunKey, kRunValue, command);
    else
        deleteValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
    // The registry calls report nothing: read back what is there now.
    const std::string now = regText(queryValue(HKEY_CURRENT_USER, kRunKey, kRunValue));
    if (on ? now == command : now.empty()) return true;
    logError(errorLine("setAutostart", 75, "Path/File access error: " + autostartEntryPath().toStdString()));
    return false;
}

#else

namespace {

QString configHome() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory rules ignore a relative setting.
    if (config.startsWith(QLatin1Char('/'))) return config;
    return QDir::homePath() + QStringLiteral("/.config");
}

// One argument of an Exec line: quoted, with the characters the desktop entry
// rules reserve inside quotes escaped, then escaped once more as a string value.
QString execArgument(const QString& argument) {
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString autostartEntryPath() { return configHome() + QStringLiteral("/autostart/varnel-zize.desktop"); }

bool autostartEnabled() {
    QFile file(autostartEntryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        // Desktops switch an entry off without removing it.
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return false;
    }
    return true;
}

bool setAutostart(bool on) {
    const QString path = autostartEntryPath();
    if (!on) {
        if (!QFile::exists(path) || QFile::remove(path)) return true;
        logError(errorLine("setAutostart", 75, "Path/File access error: " + path.toStdString()));
        return false;
    }
    const QString program = QString::fromStdString(platform::executablePath().string());
    const QByteArray entry = QStringLiteral(
                                 "[Desktop Entry]\n"
                                 "Type=Application\n"
                                 "Name=Varnel Zize\n"
                                 "Comment=Your folder groups in every Open and Save dialog\n"
                                 "Exec=%1\n"
                                 "Icon=se.varnelzize.VarnelZize\n"
                                 "Terminal=false\n"
                                 "X-GNOME-Autostart-enabled=true\n")
                                 .arg(execArgument(program))
                                 .toUtf8();
    // An entry for a program file that is gone would start nothing.
    if (QFileInfo(program).isFile()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size() && file.commit()) {
            // Only what the session will read counts as done.
            QFile written(path);
            if (written.open(QIODevice::ReadOnly) && written.readAll() == entry) return true;
        }
    }
    logError(errorLine("setAutostart", 75, "Path/File access error: " + path.toStdString()));
    return false;
}

#endif

}  // namespace varnel
