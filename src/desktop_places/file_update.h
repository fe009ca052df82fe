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
    bool exists = false;
    QByteArray bytes;
};

FileSnapshot readSnapshot(const QString& path);

// What to do with the file: nothing (nullopt), write these bytes, or delete it.
struct FileChange {
    QByteArray bytes;
    bool remove = false;
};

// Writes the bytes beside the file and renames them over it. No sync to disk:
// the lists change at every group switch, and a rename that replaces a file
// is ordered after its data by the file systems in use.
// `stillCurrent`, when given, is asked just before the rename; false gives up.
bool replaceFile(const QString& path, const QByteArray& bytes, const std::function<bool()>& stillCurrent = {});

// `change` may run more than once (once per attempt). False when the file
// could not be written or kept changing under us.
bool updateFile(const QString& path, const std::function<std::optional<FileChange>(const FileSnapshot&)>& change);

}  // namespace varnel::desktop
