#include "targets/gtk/gtk_target.h"

#include <QFile>

#include "targets/gtk/gtk_bookmarks.h"

namespace varnel::desktop {

QString GtkTarget::listFile() const { return folders_.config + QStringLiteral("/gtk-3.0/bookmarks"); }

std::optional<QStringList> GtkTarget::listedFolders() const {
    // GTK makes the file at its first bookmark, and so do we.
    return gtkBookmarkFolders(readSnapshot(listFile()).bytes);
}

void GtkTarget::update(const QList<PlaceEntry>& wanted) {
    const QList<PlaceEntry> ours = journal_->entries(name_);
    if (refused_ || (wanted.isEmpty() && ours.isEmpty())) return;
    const QString path = listFile();
    bool created = journal_->value(name_, QStringLiteral("created")) == QLatin1String("true");
    bool journalWritten = true;
    ListChange last;
    const UpdateResult result = updateFile(path, [&](const FileSnapshot& snap) -> std::optional<FileChange> {
        last = gtkBookmarksWith(snap.bytes, ours, wanted);
        if (!snap.exists && last.added.isEmpty()) return std::nullopt;
        if (!snap.exists) created = true;
        journalWritten =
            journal_->setValue(name_, QStringLiteral("created"), created ? QStringLiteral("true") : QString()) &&
            journal_->setEntries(name_, united(ours, last.added));
        if (!journalWritten) return std::nullopt;
        // A file we created and that holds nothing but ours goes again.
        if (created && last.content.isEmpty()) return FileChange{{}, true};
        return FileChange{last.content, false};
    });
    if (!succeeded(path, result, journalWritten)) return;
    if (last.added.isEmpty() && !QFile::exists(path)) journal_->setValue(name_, QStringLiteral("created"), QString());
    if (last.added != ours) journal_->setEntries(name_, last.added);
}

}  // namespace varnel::desktop
