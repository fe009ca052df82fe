#include "targets/wine/wine_places.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include "core/log.h"
#include "targets/desktop_lists/file_update.h"
#include "targets/navigation_pane/navigation_pane.h"

#include <signal.h>

namespace varnel::desktop {

namespace {

const QString kKey = QStringLiteral(
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Comdlg32\\PlacesBar");
const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n");

// Wine's regedit reads \n and \r in a quoted text as the line breaks they
// stand for (and writes them so); a raw one would end the value there.
QString regText(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// regedit reads a file of this kind as UTF-16, so any folder name survives.
bool writeRegFile(const QString& path, const QString& text) {
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray bytes = encoder(text);
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

QString readRegFile(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = in.readAll();
    auto encoding = QStringConverter::encodingForData(bytes);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    QString text = decoder(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

// The key and each of its parents up to the user's Software key: what the
// user's key is read from, nearest first.
QStringList keyAndParents() {
    QStringList keys{kKey};
    while (keys.last().count(QLatin1Char('\\')) > 1) keys.append(keys.last().section(QLatin1Char('\\'), 0, -2));
    return keys;
}

bool holdsSection(const QString& exported, const QString& key) {
    return exported.contains(QLatin1Char('[') + key + QLatin1Char(']'), Qt::CaseInsensitive);
}

// Whether the process still runs. One that ended but was not reaped (a
// zombie) has ended: a detached run's orphans are reaped by whatever the
// system's first process is, and in some containers that never happens.
bool stillRunning(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end >= 0 && line.mid(end + 2, 1) != "Z";
}

QString rootName(HKey root) {
    return root == HKEY_LOCAL_MACHINE ? QStringLiteral("HKEY_LOCAL_MACHINE") : QStringLiteral("HKEY_CURRENT_USER");
}

// Takes every slot of the navigation pane out: the slots' identifiers are
// ours alone, so nothing of the user's goes with them.
QString navigationPaneRemoved() {
    QString text;
    for (int slot = 0; slot < kNavigationPaneSlots; ++slot)
        for (const auto& [root, key] : navigationPaneSlotKeys(slot))
            text += QStringLiteral("[-") + rootName(root) + QLatin1Char('\\') + QString::fromStdString(key) +
                    QStringLiteral("]\r\n\r\n");
    return text;
}

// The entries of these folders (drive paths), slot by slot, in Wine's form.
QString navigationPaneEntries(const QStringList& folders) {
    QString text, section;
    for (qsizetype slot = 0; slot < folders.size() && slot < kNavigationPaneSlots; ++slot) {
        const std::string folder = folders[slot].toStdString();
        for (const NavigationPaneValue& v : navigationPaneEntry(NavigationPaneForm::Wine, static_cast<int>(slot), folder,
                                                                navigationPaneCaption(folder), {})) {
            const QString key = rootName(v.root) + QLatin1Char('\\') + QString::fromStdString(v.key);
            if (key != section) text += QStringLiteral("\r\n[") + key + QStringLiteral("]\r\n");
            section = key;
            text += v.name.empty() ? QStringLiteral("@") : regText(QString::fromStdString(v.name));
            text += v.type == platform::regtype::Dword ? QStringLiteral("=dword:%1").arg(v.number, 8, 16, QLatin1Char('0'))
                                                       : QLatin1Char('=') + regText(QString::fromStdString(v.text));
            text += QStringLiteral("\r\n");
        }
    }
    return text;
}

// What regedit exports of the user's key once a restore is in: the saved
// copy's own sections, without the removals before them. Empty when the user
// had no key, which must then be absent.
QString expectedExport(const QString& restore) {
    for (qsizetype at = restore.indexOf(QStringLiteral("\r\n[")); at >= 0;
         at = restore.indexOf(QStringLiteral("\r\n["), at + 2))
        if (restore.mid(at + 2, 2) != QStringLiteral("[-")) return kHeader + restore.mid(at + 2);
    return {};
}

// Wine's own tools run in the registry's 64-bit view, where the navigation
// pane's classes for 64-bit programs are: with Wine's 32-bit side installed,
// Debian's "wine" starts them as 32-bit programs. Debian keeps wine64 off the PATH.
QString wine64() {
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("wine64"));
    if (!onPath.isEmpty()) return onPath;
    const QString debian = QStringLiteral("/usr/lib/wine/wine64");
    return QFileInfo(debian).isExecutable() ? debian : QStringLiteral("wine");
}

void logFailure(const QString& what) {
    logError(errorLine("DesktopPlaces", 75, "Path/File access error: " + what.toStdString()));
}

}  // namespace

WinePlaces::WinePlaces(QString prefix, QString stateFolder) : prefix_(std::move(prefix)), state_(std::move(stateFolder)) {
    retry_.setSingleShot(true);
    retry_.setInterval(200);
    connect(&retry_, &QTimer::timeout, this, [this] { step(); });
}

WinePlaces::~WinePlaces() {
    if (process_) process_->disconnect(this);
}

namespace {
// A prefix exists once Wine made its C: drive; its registry files can lag
// behind, held in memory by a running wineserver.
bool prefixExists(const QString& prefix) { return QFileInfo(prefix + QStringLiteral("/drive_c")).isDir(); }
}  // namespace

bool WinePlaces::present() const {
    return prefixExists(prefix_) &&
           !QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty();
}

QString WinePlaces::restoreFile() const { return state_ + QStringLiteral("/wine-restore.reg"); }

QString WinePlaces::drivePath(const QString& folder) const {
    QString best, bestRoot;
    const QDir devices(prefix_ + QStringLiteral("/dosdevices"));
    for (const QFileInfo& drive : devices.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString name = drive.fileName();
        if (name.size() != 2 || name[1] != QLatin1Char(':') || !name[0].isLetter()) continue;
        const QString root = drive.canonicalFilePath();
        if (root.isEmpty()) continue;
        const bool inside = root == QLatin1String("/") || folder == root || folder.startsWith(root + QLatin1Char('/'));
        if (!inside || root.size() <= bestRoot.size()) continue;
        QString rest = root == QLatin1String("/") ? folder : folder.mid(root.size());
        rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
        if (rest.isEmpty()) rest = QStringLiteral("\\");
        bestRoot = root;
        best = name.toUpper() + rest;
    }
    return best;
}

QStringList WinePlaces::placesBarValues(const QList<PlaceEntry>& wanted) const {
    QStringList values;
    for (const PlaceEntry& e : wanted)
        if (const QString value = drivePath(e.path); !value.isEmpty()) values.append(value);
    return values;
}

void WinePlaces::update(const QList<PlaceEntry>& wanted) {
    Target target;
    if (present())
        for (const PlaceEntry& e : wanted) {
            const QString value = drivePath(e.path);
            if (value.isEmpty()) continue;
            target.placesBar.append(value);
            if (QFileInfo(e.path).isDir()) target.navigationPane.append(value);
        }
    if (!refused_) failure_.clear();
    if (target.placesBar.isEmpty()) {
        target_.reset();
        written_.clear();
        if (QFile::exists(restoreFile())) restoreDetached();
        return;
    }
    target_ = target;
    step();
}

void WinePlaces::cleanUpEarlierRun() {
    if (QFile::exists(restoreFile())) restoreDetached();
}

bool WinePlaces::writing() const { return process_ || target_ || (detachedPid_ > 0 && stillRunning(detachedPid_)); }

bool WinePlaces::waitingForDetached() {
    if (detachedPid_ > 0 && stillRunning(detachedPid_)) {
        retry_.start();
        return true;
    }
    detachedPid_ = 0;
    return false;
}

void WinePlaces::run(const QStringList& arguments, std::function<void(bool clean)> then) {
    process_ = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), prefix_);
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    process_->setProcessEnvironment(env);
    process_->setStandardOutputFile(QProcess::nullDevice());
    connect(process_, &QProcess::finished, this, [this, then](int code, QProcess::ExitStatus status) {
        // regedit ends with 0 whatever happened; what went wrong it says on stderr.
        const QByteArray said = process_->readAllStandardError().trimmed();
        process_->deleteLater();
        process_ = nullptr;
        then(status == QProcess::NormalExit && code == 0 && said.isEmpty());
        step();
        if (runEnded_) runEnded_();
    });
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        process_->deleteLater();
        process_ = nullptr;
        target_.reset();
        failure_ = QStringLiteral("Wine could not be started");
        if (runEnded_) runEnded_();
    });
    process_->start(wine64(), arguments);
}

void WinePlaces::refuse(const QString& why) {
    refused_ = true;
    failure_ = prefix_ + QStringLiteral(": ") + why;
    target_.reset();
    logFailure(prefix_ + QStringLiteral(": ") + why);
}

// Before our first write: keep what the user has there, to put back. Wine's
// regedit writes no file both for a key that is not there and when it fails,
// so a missing key is only believed when a parent of it reads and lacks it.
void WinePlaces::saveUsersKey(int level) {
    const QStringList keys = keyAndParents();
    const QString saved = state_ + QStringLiteral("/wine-saved.reg");
    QFile::remove(saved);
    run({QStringLiteral("regedit"), QStringLiteral("/e"), saved, keys[level]}, [this, saved, keys, level](bool clean) {
        const QString exported = readRegFile(saved);
        QFile::remove(saved);
        if (!clean || !exported.startsWith(kHeader.trimmed())) {
            if (level + 1 < keys.size()) return saveUsersKey(level + 1);
            return refuse(QStringLiteral("Wine could not read the PlacesBar"));
        }
        QString restore = kHeader + QStringLiteral("[-") + kKey + QStringLiteral("]\r\n\r\n") + navigationPaneRemoved();
        if (level == 0) {
            const qsizetype body = exported.indexOf(QLatin1Char('['));
            if (body >= 0) restore += exported.mid(body);
        } else if (holdsSection(exported, kKey)) {
            return refuse(QStringLiteral("Wine could not read the PlacesBar"));
        }
        // The prefix the restore belongs to, should $WINEPREFIX differ next time.
        if (!replaceFile(restoreFile() + QStringLiteral(".prefix"), QFile::encodeName(prefix_)) ||
            !writeRegFile(restoreFile(), restore)) {
            target_.reset();
            failure_ = restoreFile() + QStringLiteral(" (not written)");
        }
    });
}

// One Wine run at a time, each heading for the latest wanted values.
void WinePlaces::step() {
    if (process_ || !target_ || refused_ || waitingForDetached()) return;
    if (!QFile::exists(restoreFile())) return saveUsersKey(0);
    QString text = kHeader + QStringLiteral("[-") + kKey + QStringLiteral("]\r\n\r\n") + navigationPaneRemoved() +
                   QLatin1Char('[') + kKey + QStringLiteral("]\r\n");
    for (qsizetype i = 0; i < target_->placesBar.size(); ++i)
        text += QStringLiteral("\"Place%1\"=%2\r\n").arg(i).arg(regText(target_->placesBar.at(i)));
    text += navigationPaneEntries(target_->navigationPane);
    const QString file = state_ + QStringLiteral("/wine-places.reg");
    if (!writeRegFile(file, text)) {
        target_.reset();
        failure_ = file + QStringLiteral(" (not written)");
        return;
    }
    const QStringList writing = target_->placesBar;
    target_.reset();
    run({QStringLiteral("regedit"), QStringLiteral("/s"), file}, [this, writing](bool clean) {
        if (clean) {
            written_ = writing;
            return;
        }
        failure_ = prefix_ + QStringLiteral(": Wine could not import the PlacesBar");
        logFailure(failure_);
    });
}

// Putting the user's key back must also work on the way out, when the program
// ends right after: a process of its own does it, after any Wine run of ours.
void WinePlaces::restoreDetached() {
    QFile prefixFile(restoreFile() + QStringLiteral(".prefix"));
    const QString prefix = prefixFile.open(QIODevice::ReadOnly) ? QFile::decodeName(prefixFile.readAll()) : prefix_;
    // A prefix that is gone has nothing to restore (and Wine would create it anew).
    if (!prefixExists(prefix)) {
        QFile::remove(restoreFile());
        QFile::remove(restoreFile() + QStringLiteral(".expected"));
        prefixFile.remove();
        return;
    }
    // As in stillRunning(): a Wine run that ended but was not reaped has ended.
    const QString wait = process_ ? QStringLiteral("while [ -r /proc/%1/stat ] && ! grep -q ') Z ' /proc/%1/stat; do sleep 0.2; done; ")
                                        .arg(process_->processId())
                                  : QString();
    if (process_) process_->disconnect(this), process_ = nullptr;
    // regedit ends with 0 even when it imported nothing: the saved copy goes
    // only once the key reads back as the user had it (or, had they none,
    // Wine answers and the key is not there), and last of its files.
    const QString expected = expectedExport(readRegFile(restoreFile()));
    if (expected.isEmpty()) QFile::remove(restoreFile() + QStringLiteral(".expected"));
    else if (!writeRegFile(restoreFile() + QStringLiteral(".expected"), expected))
        return logFailure(restoreFile() + QStringLiteral(".expected"));
    const QString script = wait + QStringLiteral(
        "[ -f \"$1\" ] || exit 0; \"$3\" regedit /s \"$1\" || exit 1; rm -f \"$1.now\"; "
        "if [ -f \"$1.expected\" ]; then \"$3\" regedit /e \"$1.now\" \"$2\"; cmp -s \"$1.now\" \"$1.expected\"; "
        "else \"$3\" reg query 'HKEY_CURRENT_USER\\Software' >/dev/null 2>&1 && "
        "{ \"$3\" reg query \"$2\" >/dev/null 2>&1; [ $? -eq 1 ]; }; fi; "
        "ok=$?; rm -f \"$1.now\"; [ $ok -eq 0 ] && rm -f \"$1.expected\" \"$1.prefix\" \"$1\"");
    QProcess detached;
    detached.setProgram(QStringLiteral("/bin/sh"));
    detached.setArguments({QStringLiteral("-c"), script, QStringLiteral("sh"), restoreFile(), kKey, wine64()});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), prefix);
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    detached.setProcessEnvironment(env);
    detached.setStandardOutputFile(QProcess::nullDevice());
    detached.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (detached.startDetached(&pid)) detachedPid_ = pid;
}

}  // namespace varnel::desktop
