#include "desktop_places/file_update.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace varnel::desktop {

namespace {
bool sameSnapshot(const FileSnapshot& a, const FileSnapshot& b) { return a.exists == b.exists && a.bytes == b.bytes; }
}  // namespace

FileSnapshot readSnapshot(const QString& path) {
    FileSnapshot snap;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return snap;
    snap.exists = true;
    snap.bytes = file.readAll();
    return snap;
}

bool updateFile(const QString& path, const std::function<std::optional<FileChange>(const FileSnapshot&)>& change) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const FileSnapshot before = readSnapshot(path);
        const std::optional<FileChange> next = change(before);
        if (!next) return true;
        if (next->remove) {
            if (!before.exists) return true;
            if (!sameSnapshot(readSnapshot(path), before)) continue;
            return QFile::remove(path);
        }
        if (before.exists && next->bytes == before.bytes) return true;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(next->bytes) != next->bytes.size()) return false;
        // The last look before the rename: a writer that came in between wins,
        // and we start over from its content.
        if (!sameSnapshot(readSnapshot(path), before)) {
            out.cancelWriting();
            out.commit();
            continue;
        }
        if (out.commit()) return true;
    }
    return false;
}

}  // namespace varnel::desktop
