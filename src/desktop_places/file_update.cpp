#include "desktop_places/file_update.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace varnel::desktop {

namespace {
bool sameSnapshot(const FileSnapshot& a, const FileSnapshot& b) { return a.exists == b.exists && a.bytes == b.bytes; }
}  // namespace

bool replaceFile(const QString& path, const QByteArray& bytes, const std::function<bool()>& stillCurrent) {
    // A list kept behind a symbolic link (a dotfiles folder) stays there.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QTemporaryFile out(target + QStringLiteral(".XXXXXX"));
    out.setAutoRemove(false);
    if (!out.open()) return false;
    const bool written = out.write(bytes) == bytes.size() && out.flush();
    if (QFile::exists(target)) out.setPermissions(QFile::permissions(target));
    else out.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    out.close();
    if (written && (!stillCurrent || stillCurrent()) && std::rename(QFile::encodeName(out.fileName()).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    QFile::remove(out.fileName());
    return false;
}

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
        // The last look before the rename: a writer that came in between wins,
        // and we start over from its content.
        bool current = true;
        if (replaceFile(path, next->bytes, [&] { return current = sameSnapshot(readSnapshot(path), before); }))
            return true;
        if (current) return false;
    }
    return false;
}

}  // namespace varnel::desktop
