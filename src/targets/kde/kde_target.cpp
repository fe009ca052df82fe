#include "targets/kde/kde_target.h"

#include "targets/kde/kde_places.h"

namespace varnel::desktop {

QString KdeTarget::listFile() const { return folders_.data + QStringLiteral("/user-places.xbel"); }

std::optional<QStringList> KdeTarget::listedFolders() const {
    const FileSnapshot snap = readSnapshot(listFile());
    if (!snap.exists) return std::nullopt;
    return kdePlaceFolders(snap.bytes);
}

void KdeTarget::update(const QList<PlaceEntry>& wanted) {
    if (refused_) return;
    const QString path = listFile();
    const QList<PlaceEntry> ours = journal_->entries(name_);
    QList<PlaceEntry> added;
    bool missing = false;
    bool readable = true;
    bool journalWritten = true;
    const UpdateResult result = updateFile(path, [&](const FileSnapshot& snap) -> std::optional<FileChange> {
        // KDE puts its default places after ours in a file it finds missing: never create it.
        missing = !snap.exists;
        if (missing) return std::nullopt;
        std::optional<ListChange> change = kdePlacesWith(snap.bytes, wanted);
        if (!change) {
            readable = false;
            return std::nullopt;
        }
        added = change->added;
        journalWritten = journal_->setEntries(name_, united(ours, added));
        if (!journalWritten) return std::nullopt;
        return FileChange{change->content, false};
    });
    if (missing) {
        if (!ours.isEmpty()) journal_->setEntries(name_, {});
        return;
    }
    if (!succeeded(path, result, journalWritten)) return;
    if (!readable) return fail(path + QStringLiteral(" (not well-formed)"));
    journal_->setEntries(name_, added);
}

}  // namespace varnel::desktop
