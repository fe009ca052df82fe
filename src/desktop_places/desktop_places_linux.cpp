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
    LogError(errorLine("DesktopPlaces", 75, "Path/File access error: " + what.toStdString()));
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
    const RegValue setting = RegKeyQuery(HKEY_CURRENT_USER, kSettingsKey, "DesktopPlaces");
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
    update({}, true);
    wine_->cleanUpEarlierRun();
}

void LinuxDesktopPlaces::update(const QList<PlaceEntry>& wanted, bool startUp) {
    const int on = startUp ? 0 : families();
    updateGtk(on & FamilyGtk ? wanted : QList<PlaceEntry>{});
    updateKde(on & FamilyKde ? wanted : QList<PlaceEntry>{});
    updateQt(on & FamilyQt ? wanted : QList<PlaceEntry>{}, startUp);
    if (!startUp) wine_->update(on & FamilyWine ? wanted : QList<PlaceEntry>{});
}

void LinuxDesktopPlaces::updateGtk(const QList<PlaceEntry>& wanted) {
    const QList<PlaceEntry> ours = journal_.entries(kGtk);
    if (wanted.isEmpty() && ours.isEmpty()) return;
    const QString path = folders_.config + QStringLiteral("/gtk-3.0/bookmarks");
    bool created = journal_.value(kGtk, QStringLiteral("created")) == QLatin1String("true");
    ListChange last;
    const bool ok = updateFile(path, [&](const FileSnapshot& snap) -> std::optional<FileChange> {
        last = gtkBookmarksWith(snap.bytes, ours, wanted);
        if (!snap.exists && last.added.isEmpty()) return std::nullopt;
        if (!snap.exists) created = true;
        journal_.setValue(kGtk, QStringLiteral("created"), created ? QStringLiteral("true") : QString());
        journal_.setEntries(kGtk, united(ours, last.added));
        // A file we created and that holds nothing but ours goes again.
        if (created && last.content.isEmpty()) return FileChange{{}, true};
        return FileChange{last.content, false};
    });
    if (!ok) return logFailure(path);
    if (last.added.isEmpty() && !QFile::exists(path)) journal_.setValue(kGtk, QStringLiteral("created"), QString());
    if (last.added != ours) journal_.setEntries(kGtk, last.added);
}

void LinuxDesktopPlaces::updateKde(const QList<PlaceEntry>& wanted) {
    const QString path = folders_.data + QStringLiteral("/user-places.xbel");
    const QList<PlaceEntry> ours = journal_.entries(kKde);
    // KDE puts its default places after ours in a file it finds missing: never create it.
    if (!QFile::exists(path)) {
        if (!ours.isEmpty()) journal_.setEntries(kKde, {});
        return;
    }
    QList<PlaceEntry> added;
    bool readable = true;
    const bool ok = updateFile(path, [&](const FileSnapshot& snap) -> std::optional<FileChange> {
        if (!snap.exists) return std::nullopt;
        std::optional<ListChange> change = kdePlacesWith(snap.bytes, wanted);
        if (!change) {
            readable = false;
            return std::nullopt;
        }
        added = change->added;
        journal_.setEntries(kKde, united(ours, added));
        return FileChange{change->content, false};
    });
    if (!ok || !readable) return logFailure(path);
    journal_.setEntries(kKde, added);
}

void LinuxDesktopPlaces::updateQt(const QList<PlaceEntry>& wanted, bool startUp) {
    const QList<PlaceEntry> ours = journal_.entries(kQt);
    // An open Qt dialog writes its list back when it closes, ours included:
    // everything we ever removed is taken out again at every change.
    const QList<PlaceEntry> stale = united(journal_.entries(kQt + QStringLiteral("-removed")), ours);
    if (wanted.isEmpty() && stale.isEmpty()) return;
    const QString path = folders_.config + QStringLiteral("/QtProject.conf");
    const auto added = updateQtShortcuts(path, stale, wanted, [&](const QList<PlaceEntry>& adding) {
        journal_.setEntries(kQt, united(ours, adding));
    });
    if (!added) return logFailure(path);
    journal_.setEntries(kQt, *added);
    QList<PlaceEntry> removed;
    if (!startUp)
        for (const PlaceEntry& e : stale)
            if (!added->contains(e)) removed.append(e);
    journal_.setEntries(kQt + QStringLiteral("-removed"), removed);
}

}  // namespace varnel::desktop

namespace varnel {

void installDesktopPlaces() {
    using namespace desktop;
    DesktopFolders folders = DesktopFolders::fromEnvironment();
    QDir().mkpath(folders.state);
    // Held for the program's life: a second copy must not clean up the lists
    // of the copy that runs. A killed owner leaves a stale lock behind, which
    // QLockFile recognises.
    static QLockFile owner(folders.state + QStringLiteral("/desktop-places.lock"));
    if (!owner.tryLock(0)) return;
    auto places = std::make_unique<LinuxDesktopPlaces>(std::move(folders));
    guarded("DesktopPlaces", [&] { places->cleanUpEarlierRun(); });
    setDesktopPlaces(std::move(places));
}

}  // namespace varnel
