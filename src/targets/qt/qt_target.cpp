#include "targets/qt/qt_target.h"

#include <QFile>
#include <QSettings>
#include <QUrl>

#include "targets/qt/qt_shortcuts.h"

namespace varnel::desktop {

QString QtTarget::listFile() const { return folders_.config + QStringLiteral("/QtProject.conf"); }

std::optional<QStringList> QtTarget::listedFolders() const {
    if (!QFile::exists(listFile())) return std::nullopt;
    const QSettings settings(listFile(), QSettings::IniFormat);
    QStringList folders;
    for (const QString& shortcut : settings.value(QStringLiteral("FileDialog/shortcuts")).toStringList())
        if (const QUrl url(shortcut); url.isLocalFile()) folders << url.toLocalFile();
    return folders;
}

void QtTarget::cleanUpEarlierRun() {
    // Earlier versions carried the Qt entries they had removed into the next run.
    journal_->setEntries(name_ + QStringLiteral("-removed"), {});
    DesktopListTarget::cleanUpEarlierRun();
}

void QtTarget::update(const QList<PlaceEntry>& wanted) {
    const QList<PlaceEntry> ours = journal_->entries(name_);
    if (refused_ || (wanted.isEmpty() && ours.isEmpty() && tails_.isEmpty())) return;
    const QString path = listFile();
    bool journalWritten = true;
    const QtShortcutsUpdate done =
        updateQtShortcuts(path, ours, tails_, wanted, folders_.state, [&](const QList<PlaceEntry>& adding) {
            return journalWritten = journal_->setEntries(name_, united(ours, adding));
        });
    const QString named = done.lockHolder.isEmpty() ? path : path + QStringLiteral(", ") + done.lockHolder;
    if (!succeeded(named, done.result, journalWritten)) return;
    journal_->setEntries(name_, done.added);
    // An open Qt dialog writes its list back when it closes, ours included:
    // the runs we appended in this run are taken out again where it put them.
    if (!done.added.isEmpty() && !tails_.contains(done.added)) tails_.append(done.added);
}

}  // namespace varnel::desktop
