#include "desktop_places/desktop_places_linux.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include "core/log.h"
#include "core/registry.h"
#include "desktop_places/file_update.h"
#include "desktop_places/gtk_bookmarks.h"
#include "desktop_places/install.h"
#include "desktop_places/kde_places.h"
#include "desktop_places/owner_lock.h"
#include "desktop_places/qt_shortcuts.h"
#include "desktop_places/wine_places.h"

namespace varnel::desktop {

namespace {

const QString kGtk = QStringLiteral("GTK");
const QString kKde = QStringLiteral("KDE");
const QString kQt = QStringLiteral("Qt");

QString xdgFolder(const char* variable, const QString& fallbackUnderHome) {
    const QString set = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(set)) return set;
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}

QList<PlaceEntry> united(QList<PlaceEntry> a, const QList<PlaceEntry>& b) {
    for (const PlaceEntry& e : b)
        if (!a.contains(e)) a.append(e);
    return a;
}

void logFailure(const QString& what) {
    logError(errorLine("DesktopPlaces", 75, "Path/File access error: " + what.toStdString()));
}

}  // namespace

DesktopFolders DesktopFolders::fromEnvironment() {
    DesktopFolders f;
    f.config = xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
    f.data = xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
    f.state = xdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state")) + QStringLiteral("/Varnel");
    f.winePrefix = qEnvironmentVariable("WINEPREFIX");
    if (f.winePrefix.isEmpty()) f.winePrefix = QDir::homePath() + QStringLiteral("/.wine");
    return f;
}

LinuxDesktopPlaces::LinuxDesktopPlaces(DesktopFolders folders)
    : folders_(std::move(folders)),
      journal_(folders_.state + QStringLiteral("/desktop-places.ini")),
      wine_(std::make_unique<WinePlaces>(folders_.winePrefix, folders_.state)) {
    QDir().mkpath(folders_.state);
}

LinuxDesktopPlaces::~LinuxDesktopPlaces() = default;

int LinuxDesktopPlaces::families() const {
    if (forcedFamilies_) return forcedFamilies_;
    // "DesktopPlaces" names the lists to fill, e.g. "GTK,KDE,Qt,Wine", or
    // "none"; without the value every list found is filled.
    const RegValue setting = queryValue(HKEY_CURRENT_USER, kSettingsKey, "DesktopPlaces");
    const std::string* text = std::get_if<std::string>(&setting);
    const QString names = text ? QString::fromStdString(*text).trimmed() : QString();
    if (names.isEmpty()) return FamilyGtk | FamilyKde | FamilyQt | FamilyWine;
    int on = 0;
    for (const QString& name : names.split(QRegularExpression(QStringLiteral("[,; ]+")), Qt::SkipEmptyParts)) {
        if (name.compare(kGtk, Qt::CaseInsensitive) == 0) on |= FamilyGtk;
        if (name.compare(kKde, Qt::CaseInsensitive) == 0) on |= FamilyKde;
        if (name.compare(kQt, Qt::CaseInsensitive) == 0) on |= FamilyQt;
        if (name.compare(QLatin1String("Wine"), Qt::CaseInsensitive) == 0) on |= FamilyWine;
    }
    return on;
}

void LinuxDesktopPlaces::apply(const std::array<std::string, 5>& places) { update(placeEntries(places), false); }

void LinuxDesktopPlaces::remove() { update({}, false); }

void LinuxDesktopPlaces::cleanUpEarlierRun() {
    // Earlier versions carried the Qt entries they had removed into the next run.
    journal_.setEntries(kQt + QStringLiteral("-removed"), {});
    update({}, true);
    wine_->cleanUpEarlierRun();
}

void LinuxDesktopPlaces::update(const QList<PlaceEntry>& wanted, bool startUp) {
    const int on = startUp ? 0 : families();
    updateGtk(on & FamilyGtk ? wanted : QList<PlaceEntry>{});
    updateKde(on & FamilyKde ? wanted : QList<PlaceEntry>{});
    updateQt(on & FamilyQt ? wanted : QList<PlaceEntry>{});
    if (!startUp) wine_->update(on & FamilyWine ? wanted : QList<PlaceEntry>{});
}

bool LinuxDesktopPlaces::succeeded(const QString& list, const QString& path, UpdateResult result, bool journalWritten) {
    // A list changed without its record could not be cleaned up after a crash.
    if (!journalWritten) {
        logFailure(journal_.file());
        return false;
    }
    if (result == UpdateResult::Done) return true;
    // A file we cannot read is the user's all the same: one line, and it is
    // left alone until the next start.
    if (result == UpdateResult::Unreadable) refused_.insert(list);
    logFailure(path + QStringLiteral(" (") + QLatin1String(updateFailureReason(result)) + QLatin1Char(')'));
    return false;
}

void LinuxDesktopPlaces::updateGtk(const QList<PlaceEntry>& wanted) {
    const QList<PlaceEntry> ours = journal_.entries(kGtk);
    if (refused_.contains(kGtk) || (wanted.isEmpty() && ours.isEmpty())) return;
    const QString path = folders_.config + QStringLiteral("/gtk-3.0/bookmarks");
    bool created = journal_.value(kGtk, QStringLiteral("created")) == QLatin1String("true");
    bool journalWritten = true;
    ListChange last;
    const UpdateResult result = updateFile(path, [&](const FileSnapshot& snap) -> std::optional<FileChange> {
        last = gtkBookmarksWith(snap.bytes, ours, wanted);
        if (!snap.exists && last.added.isEmpty()) return std::nullopt;
        if (!snap.exists) created = true;
        journalWritten = journal_.setValue(kGtk, QStringLiteral("created"), created ? QStringLiteral("true") : QString()) &&
                         journal_.setEntries(kGtk, united(ours, last.added));
        if (!journalWritten) return std::nullopt;
        // A file we created and that holds nothing but ours goes again.
        if (created && last.content.isEmpty()) return FileChange{{}, true};
        return FileChange{last.content, false};
    });
    if (!succeeded(kGtk, path, result, journalWritten)) return;
    if (last.added.isEmpty() && !QFile::exists(path)) journal_.setValue(kGtk, QStringLiteral("created"), QString());
    if (last.added != ours) journal_.setEntries(kGtk, last.added);
}

void LinuxDesktopPlaces::updateKde(const QList<PlaceEntry>& wanted) {
    if (refused_.contains(kKde)) return;
    const QString path = folders_.data + QStringLiteral("/user-places.xbel");
    const QList<PlaceEntry> ours = journal_.entries(kKde);
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
        journalWritten = journal_.setEntries(kKde, united(ours, added));
        if (!journalWritten) return std::nullopt;
        return FileChange{change->content, false};
    });
    if (missing) {
        if (!ours.isEmpty()) journal_.setEntries(kKde, {});
        return;
    }
    if (!succeeded(kKde, path, result, journalWritten)) return;
    if (!readable) return logFailure(path + QStringLiteral(" (not well-formed)"));
    journal_.setEntries(kKde, added);
}

void LinuxDesktopPlaces::updateQt(const QList<PlaceEntry>& wanted) {
    const QList<PlaceEntry> ours = journal_.entries(kQt);
    if (refused_.contains(kQt) || (wanted.isEmpty() && ours.isEmpty() && qtTails_.isEmpty())) return;
    const QString path = folders_.config + QStringLiteral("/QtProject.conf");
    bool journalWritten = true;
    const QtShortcutsUpdate done =
        updateQtShortcuts(path, ours, qtTails_, wanted, folders_.state, [&](const QList<PlaceEntry>& adding) {
            return journalWritten = journal_.setEntries(kQt, united(ours, adding));
        });
    const QString named = done.lockHolder.isEmpty() ? path : path + QStringLiteral(", ") + done.lockHolder;
    if (!succeeded(kQt, named, done.result, journalWritten)) return;
    journal_.setEntries(kQt, done.added);
    // An open Qt dialog writes its list back when it closes, ours included:
    // the runs we appended in this run are taken out again where it put them.
    if (!done.added.isEmpty() && !qtTails_.contains(done.added)) qtTails_.append(done.added);
}

}  // namespace varnel::desktop

namespace varnel {

void installDesktopPlaces() {
    using namespace desktop;
    DesktopFolders folders = DesktopFolders::fromEnvironment();
    QDir().mkpath(folders.state);
    // A second copy must not clean up the lists of the copy that runs.
    if (!ownDesktopPlaces(folders.state + QStringLiteral("/desktop-places.lock"))) return;
    auto places = std::make_unique<LinuxDesktopPlaces>(std::move(folders));
    guarded("DesktopPlaces", [&] { places->cleanUpEarlierRun(); });
    setDesktopPlaces(std::move(places));
}

}  // namespace varnel
