#include "desktop_places/qt_shortcuts.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QUrl>

#include "desktop_places/file_update.h"

namespace varnel::desktop {

QString qtShortcut(const QString& path) { return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()); }

namespace {

// Qt's INI writer syncs its file to disk, which costs more than the whole
// change; it works on a copy in memory-backed storage where there is one.
QString scratchPath(const QString& confPath) {
    const QString name = QStringLiteral("/varnel-qt-%1.conf").arg(QCoreApplication::applicationPid());
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable()) return shm.filePath() + name;
    return QFileInfo(confPath).absolutePath() + name;
}

}  // namespace

std::optional<QList<PlaceEntry>> updateQtShortcuts(const QString& confPath, const QList<PlaceEntry>& drop,
                                                   const QList<PlaceEntry>& add,
                                                   const std::function<void(const QList<PlaceEntry>&)>& beforeWrite) {
    if (!QFile::exists(confPath)) return QList<PlaceEntry>{};
    QLockFile lock(confPath + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) return std::nullopt;

    const QString scratch = scratchPath(confPath);
    auto cleanUp = [&] {
        QFile::remove(scratch);
        QFile::remove(scratch + QStringLiteral(".lock"));
    };
    for (int attempt = 0; attempt < 20; ++attempt) {
        const FileSnapshot before = readSnapshot(confPath);
        if (!before.exists) return QList<PlaceEntry>{};
        QList<PlaceEntry> added;
        {
            // Qt's own reader and writer, on a copy of the file.
            QFile copy(scratch);
            if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(before.bytes) != before.bytes.size())
                return cleanUp(), std::nullopt;
            copy.close();
            QSettings settings(scratch, QSettings::IniFormat);
            settings.beginGroup(QStringLiteral("FileDialog"));
            const QStringList old = settings.value(QStringLiteral("shortcuts")).toStringList();
            QStringList kept;
            QList<QString> paths;
            for (const QString& s : old) {
                const QUrl url(s);
                const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
                bool ours = false;
                for (const PlaceEntry& e : drop) ours = ours || (!path.isEmpty() && samePath(path, e.path));
                if (ours) continue;
                kept.append(s);
                paths.append(path);
            }
            for (const PlaceEntry& e : add) {
                bool listed = false;
                for (const QString& p : paths) listed = listed || (!p.isEmpty() && samePath(p, e.path));
                if (listed) continue;
                kept.append(qtShortcut(e.path));
                paths.append(e.path);
                added.append(e);
            }
            if (kept == old) return cleanUp(), added;
            if (beforeWrite) beforeWrite(added);
            settings.setValue(QStringLiteral("shortcuts"), kept);
            settings.endGroup();
            settings.sync();
            if (settings.status() != QSettings::NoError) return cleanUp(), std::nullopt;
        }
        const QByteArray after = readSnapshot(scratch).bytes;
        bool current = true;
        if (replaceFile(confPath, after, [&] { return current = readSnapshot(confPath).bytes == before.bytes; }))
            return cleanUp(), added;
        if (current) return cleanUp(), std::nullopt;
    }
    cleanUp();
    return std::nullopt;
}

}  // namespace varnel::desktop
