#include "desktop_places/qt_shortcuts.h"

#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QUrl>

#include <cstdio>

#include "desktop_places/file_update.h"

namespace varnel::desktop {

QString qtShortcut(const QString& path) { return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()); }

std::optional<QList<PlaceEntry>> updateQtShortcuts(const QString& confPath, const QList<PlaceEntry>& drop,
                                                   const QList<PlaceEntry>& add,
                                                   const std::function<void(const QList<PlaceEntry>&)>& beforeWrite) {
    if (!QFile::exists(confPath)) return QList<PlaceEntry>{};
    QLockFile lock(confPath + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) return std::nullopt;

    const QString scratch = confPath + QStringLiteral(".varnel-new");
    for (int attempt = 0; attempt < 20; ++attempt) {
        const FileSnapshot before = readSnapshot(confPath);
        if (!before.exists) return QList<PlaceEntry>{};
        QList<PlaceEntry> added;
        QStringList kept;
        {
            // Qt's own reader and writer, on a copy beside the file, so that the
            // file itself is only ever replaced whole.
            QFile::remove(scratch);
            if (!QFile::copy(confPath, scratch)) return std::nullopt;
            QSettings settings(scratch, QSettings::IniFormat);
            settings.beginGroup(QStringLiteral("FileDialog"));
            const QStringList old = settings.value(QStringLiteral("shortcuts")).toStringList();
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
            if (kept == old) {
                QFile::remove(scratch);
                return added;
            }
            if (beforeWrite) beforeWrite(added);
            settings.setValue(QStringLiteral("shortcuts"), kept);
            settings.endGroup();
            settings.sync();
            if (settings.status() != QSettings::NoError) {
                QFile::remove(scratch);
                return std::nullopt;
            }
        }
        QFile::remove(scratch + QStringLiteral(".lock"));
        if (readSnapshot(confPath).bytes != before.bytes) continue;
        if (std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(confPath).constData()) != 0) {
            QFile::remove(scratch);
            return std::nullopt;
        }
        return added;
    }
    QFile::remove(scratch);
    return std::nullopt;
}

}  // namespace varnel::desktop
