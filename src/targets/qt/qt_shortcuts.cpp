#include "targets/qt/qt_shortcuts.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QLockFile>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel::desktop {

QString qtShortcut(const QString& path) { return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()); }

namespace {

// Qt's INI writer syncs its file to disk, which costs more than the whole
// change: the runtime folder is memory-backed. It must be the user's alone,
// or another user could read the copy or lay links for it.
QString scratchFolder(const QString& fallback) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime.startsWith('/') && ::lstat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == ::geteuid() && (st.st_mode & 077) == 0)
        return QFile::decodeName(runtime);
    return fallback;
}

// A lock can outlive a holder that was killed: QLockFile takes over a lock
// whose process is gone, but not one left empty (killed before it wrote its
// name), which it believes for 30 seconds, nor one a process that inherited
// it still holds open. Such a lock is removed here, and only such a one: a
// live holder, or one that may be writing its name this very moment, keeps it.
bool leftByADeadHolder(const QLockFile& lock, const QString& lockPath) {
    qint64 pid = 0;
    QString host, holder;
    const QFileInfo file(lockPath);
    if (lock.getLockInfo(&pid, &host, &holder)) {
        if (pid <= 0 || host != QSysInfo::machineHostName() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            return false;
    } else if (!file.exists() || file.lastModified().secsTo(QDateTime::currentDateTime()) < 5) {
        return false;
    }
    return QFile::remove(lockPath);
}

// Waits a few seconds for a live writer. A lock a killed writer left goes as
// soon as it shows as such: one left empty only after five seconds, which may
// come during the wait when the writer was killed just now.
bool takeLock(QLockFile& lock, const QString& lockPath) {
    const QDeadlineTimer deadline(8000);
    while (!lock.tryLock(0)) {
        if (leftByADeadHolder(lock, lockPath)) continue;
        if (deadline.hasExpired()) return false;
        if (lock.tryLock(250)) return true;
    }
    return true;
}

bool endsWith(const QList<QString>& paths, const QList<PlaceEntry>& tail) {
    if (tail.isEmpty() || tail.size() > paths.size()) return false;
    const qsizetype from = paths.size() - tail.size();
    for (qsizetype i = 0; i < tail.size(); ++i)
        if (paths[from + i].isEmpty() || !samePath(paths[from + i], tail[i].path)) return false;
    return true;
}

}  // namespace

QtShortcutsUpdate updateQtShortcuts(const QString& confPath, const QList<PlaceEntry>& drop,
                                    const QList<QList<PlaceEntry>>& tails, const QList<PlaceEntry>& add,
                                    const QString& scratchParent,
                                    const std::function<bool(const QList<PlaceEntry>&)>& beforeWrite) {
    const FileSnapshot first = readSnapshot(confPath);
    if (first.unreadable) return {UpdateResult::Unreadable, {}, {}};
    if (!first.exists) return {};
    const QString lockPath = confPath + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!takeLock(lock, lockPath)) {
        qint64 pid = 0;
        QString host, holder;
        lock.getLockInfo(&pid, &host, &holder);
        return {UpdateResult::Locked, {}, QStringLiteral("pid %1 %2").arg(pid).arg(holder)};
    }

    // Created exclusively, 0700: whatever Qt's writer puts beside the copy
    // stays in there too.
    QTemporaryDir scratchDir(scratchFolder(scratchParent) + QStringLiteral("/varnel-qt-XXXXXX"));
    if (!scratchDir.isValid()) return {UpdateResult::Failed, {}, {}};
    const QString scratch = scratchDir.filePath(QStringLiteral("QtProject.conf"));

    for (int attempt = 0; attempt < 20; ++attempt) {
        const FileSnapshot before = readSnapshot(confPath);
        if (before.unreadable) return {UpdateResult::Unreadable, {}, {}};
        if (!before.exists) return {};
        QList<PlaceEntry> added;
        {
            // Qt's own reader and writer, on a copy of the file.
            QFile copy(scratch);
            if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(before.bytes) != before.bytes.size())
                return {UpdateResult::Failed, {}, {}};
            copy.close();
            QSettings settings(scratch, QSettings::IniFormat);
            settings.beginGroup(QStringLiteral("FileDialog"));
            const QStringList old = settings.value(QStringLiteral("shortcuts")).toStringList();
            QStringList kept;
            QList<QString> paths;
            bool oursListed = false;
            for (const QString& s : old) {
                const QUrl url(s);
                const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
                bool ours = false;
                for (const PlaceEntry& e : drop) ours = ours || (!path.isEmpty() && samePath(path, e.path));
                oursListed = oursListed || ours;
                if (ours) continue;
                kept.append(s);
                paths.append(path);
            }
            // A dialog that was open before our last change writes back the
            // list it had: an earlier tail of ours is back at the end, and
            // what we added last is gone. Only then is such a tail ours to
            // take out; while our last entries are listed, the list is one
            // the user saw, and a folder added to it by hand is the user's,
            // whatever group it was once in.
            const bool writtenBack = !drop.isEmpty() && !oursListed;
            for (bool found = writtenBack; found;) {
                found = false;
                for (const QList<PlaceEntry>& tail : tails) {
                    if (!endsWith(paths, tail)) continue;
                    kept.resize(kept.size() - tail.size());
                    paths.resize(paths.size() - tail.size());
                    found = true;
                }
            }
            for (const PlaceEntry& e : add) {
                bool listed = false;
                for (const QString& p : paths) listed = listed || (!p.isEmpty() && samePath(p, e.path));
                if (listed) continue;
                kept.append(qtShortcut(e.path));
                paths.append(e.path);
                added.append(e);
            }
            if (kept == old) return {UpdateResult::Done, added, {}};
            if (beforeWrite && !beforeWrite(added)) return {UpdateResult::Failed, {}, {}};
            settings.setValue(QStringLiteral("shortcuts"), kept);
            settings.endGroup();
            settings.sync();
            if (settings.status() != QSettings::NoError) return {UpdateResult::Failed, {}, {}};
        }
        const QByteArray after = readSnapshot(scratch).bytes;
        bool current = true;
        if (replaceFile(confPath, after, [&] { return current = readSnapshot(confPath).bytes == before.bytes; }))
            return {UpdateResult::Done, added, {}};
        if (current) return {UpdateResult::Failed, {}, {}};
    }
    return {UpdateResult::Failed, {}, {}};
}

}  // namespace varnel::desktop
