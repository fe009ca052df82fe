#include "targets/desktop_lists/file_update.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel::desktop {

namespace {

bool sameSnapshot(const FileSnapshot& a, const FileSnapshot& b) {
    return a.exists == b.exists && a.unreadable == b.unreadable && a.bytes == b.bytes;
}

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// A new file beside `target`, created exclusively and never through a link;
// `mode` is narrowed by the umask as for any file the user's programs create.
int createBeside(const QString& target, mode_t mode, QString& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + QLatin1Char('.') + QString::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(encoded(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Puts a new file where nothing was: one that appeared meanwhile stays.
bool renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without it: a hard link refuses an existing name just the same.
    if (::link(from.constData(), to.constData()) != 0) return false;
    ::unlink(from.constData());
    return true;
}

enum class Written { Yes, No, Raced };

Written writeOver(const QString& path, const QByteArray& bytes, const std::function<bool()>& stillCurrent) {
    const std::optional<QString> target = finalTarget(path);
    if (!target) return Written::No;
    const QByteArray to = encoded(*target);
    struct stat old {};
    const bool existing = ::lstat(to.constData(), &old) == 0;
    if (!existing && errno != ENOENT) return Written::No;
    if (existing && !S_ISREG(old.st_mode)) return Written::No;
    if (!existing) QDir().mkpath(QFileInfo(*target).absolutePath());

    QString name;
    const int fd = createBeside(*target, existing ? 0600 : 0666, name);
    if (fd < 0) return Written::No;
    const QByteArray from = encoded(name);
    struct stat made {};
    bool ok = writeAll(fd, bytes) && ::fstat(fd, &made) == 0;
    // The user's file stays the user's, also when root replaces it; where
    // the owner cannot be kept, the file is not replaced at all.
    mode_t mode = old.st_mode & 07777;
    if (ok && existing && (made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only its group could not be kept (a file sudo left with group root):
        // the user's own group takes it, with no more access than others have.
        ok = made.st_uid == old.st_uid || ::fchown(fd, old.st_uid, static_cast<gid_t>(-1)) == 0;
        mode = (mode & 0707) | ((mode & 07) << 3);
    }
    if (ok && existing) ok = ::fchmod(fd, mode) == 0;
    ok = ::close(fd) == 0 && ok;

    Written result = Written::No;
    if (ok && stillCurrent && !stillCurrent()) result = Written::Raced;
    else if (ok && existing) result = std::rename(from.constData(), to.constData()) == 0 ? Written::Yes : Written::No;
    else if (ok) result = renameNoReplace(from, to) ? Written::Yes : errno == EEXIST ? Written::Raced : Written::No;
    if (result != Written::Yes) ::unlink(from.constData());
    return result;
}

}  // namespace

std::optional<QString> finalTarget(const QString& path) {
    QString current = path;
    for (int hop = 0; hop < 40; ++hop) {
        const QByteArray name = encoded(current);
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(name.constData(), target.data(), static_cast<size_t>(target.size()));
        if (n <= 0 || n >= target.size()) return std::nullopt;
        target.truncate(n);
        // A relative link counts from the folder that holds it.
        const QString next = QFile::decodeName(target);
        current = target.startsWith('/') ? next : current.left(current.lastIndexOf(QLatin1Char('/')) + 1) + next;
    }
    return std::nullopt;
}

bool replaceFile(const QString& path, const QByteArray& bytes, const std::function<bool()>& stillCurrent) {
    return writeOver(path, bytes, stillCurrent) == Written::Yes;
}

FileSnapshot readSnapshot(const QString& path) {
    FileSnapshot snap;
    // Only "not found" is a missing file: one we may not read is still the user's.
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        snap.exists = snap.unreadable = errno != ENOENT;
        return snap;
    }
    snap.exists = true;
    struct stat st {};
    bool whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[16384];
    while (whole) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) whole = false;
        if (n <= 0) break;
        snap.bytes.append(buffer, n);
    }
    ::close(fd);
    snap.unreadable = !whole || snap.bytes.size() < st.st_size;
    if (snap.unreadable) snap.bytes.clear();
    return snap;
}

const char* updateFailureReason(UpdateResult result) {
    switch (result) {
    case UpdateResult::Done: return "";
    case UpdateResult::Failed: return "not written";
    case UpdateResult::Unreadable: return "not readable";
    case UpdateResult::Locked: return "lock held by another program";
    }
    return "";
}

UpdateResult updateFile(const QString& path, const std::function<std::optional<FileChange>(const FileSnapshot&)>& change) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const FileSnapshot before = readSnapshot(path);
        if (before.unreadable) return UpdateResult::Unreadable;
        const std::optional<FileChange> next = change(before);
        if (!next) return UpdateResult::Done;
        if (next->remove) {
            if (!before.exists) return UpdateResult::Done;
            if (!sameSnapshot(readSnapshot(path), before)) continue;
            // The file at the end of the links goes; the user's links stay.
            const std::optional<QString> target = finalTarget(path);
            return target && ::unlink(encoded(*target).constData()) == 0 ? UpdateResult::Done : UpdateResult::Failed;
        }
        if (before.exists && next->bytes == before.bytes) return UpdateResult::Done;
        // The last look before the rename: a writer that came in between wins,
        // and we start over from its content.
        switch (writeOver(path, next->bytes, [&] { return sameSnapshot(readSnapshot(path), before); })) {
        case Written::Yes: return UpdateResult::Done;
        case Written::No: return UpdateResult::Failed;
        case Written::Raced: break;
        }
    }
    return UpdateResult::Failed;
}

}  // namespace varnel::desktop
