#pragma once
// Replacing a file that other programs write too: read it, compute the new
// content, and rename the new file over it only if nobody changed it in the
// meantime; otherwise start again from what is there now.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace varnel::desktop {

struct FileSnapshot {
    bool exists = false;       // false only when nothing is found at the path
    bool unreadable = false;   // something is there that we cannot read whole
    QByteArray bytes;
};

FileSnapshot readSnapshot(const QString& path);

// The file a path finally names: a chain of symbolic links (a dotfiles
// folder) is followed to its end, which may not exist yet. Nothing for a
// loop of links.
std::optional<QString> finalTarget(const QString& path);

// What to do with the file: nothing (nullopt), write these bytes, or delete it.
struct FileChange {
    QByteArray bytes;
    bool remove = false;
};

// Writes the bytes beside the file and renames them over it, keeping its
// owner, group and mode (a new file gets the umask's mode). A link is never
// replaced: the file at its end is. No sync to disk: the lists change at
// every group switch, and a rename that replaces a file is ordered after its
// data by the file systems in use.
// `stillCurrent`, when given, is asked just before the rename; false gives up.
bool replaceFile(const QString& path, const QByteArray& bytes, const std::function<bool()>& stillCurrent = {});

enum class UpdateResult {
    Done,
    Failed,      // could not be written, or kept changing under us
    Unreadable,  // there but not readable: left alone
    Locked,      // another writer held the file's lock past our wait
};

// How a failed result reads in the error log.
const char* updateFailureReason(UpdateResult result);

// `change` may run more than once (once per attempt).
UpdateResult updateFile(const QString& path, const std::function<std::optional<FileChange>(const FileSnapshot&)>& change);

}  // namespace varnel::desktop
