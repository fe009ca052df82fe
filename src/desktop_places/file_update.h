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

// `change` may run more than once (once per attempt). False when the file
// could not be written or kept changing under us.
bool updateFile(const QString& path, const std::function<std::optional<FileChange>(const FileSnapshot&)>& change);

}  // namespace varnel::desktop
