#include "targets/desktop_lists/desktop_list_target.h"

#include <QDir>
#include <algorithm>

#include "core/log.h"
#include "targets/desktop_places_setting.h"

namespace varnel::desktop {

namespace {

QString xdgFolder(const char* variable, const QString& fallbackUnderHome) {
    const QString set = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(set)) return set;
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
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

DesktopListTarget::DesktopListTarget(QString name, DesktopFolders folders, std::shared_ptr<Journal> journal)
    : name_(std::move(name)), folders_(std::move(folders)), journal_(std::move(journal)) {}

void DesktopListTarget::apply(const PlaceSet& places) {
    if (!refused_) failure_.clear();
    update(desktopListTurnedOn(name_.toStdString()) ? placeEntries(places) : QList<PlaceEntry>{});
}

void DesktopListTarget::remove() {
    if (!refused_) failure_.clear();
    update({});
}

void DesktopListTarget::cleanUpEarlierRun() { update({}); }

std::vector<TargetReport> DesktopListTarget::report(const PlaceSet& group) const {
    const std::string name = this->name();
    if (!desktopListTurnedOn(name)) return {{name, TargetState::Off, {}}};
    if (!failure_.isEmpty()) return {{name, TargetState::Failed, failure_.toStdString()}};
    const std::optional<QStringList> listed = listedFolders();
    if (!listed) return {{name, TargetState::NotInstalled, {}}};
    for (const PlaceEntry& entry : placeEntries(group)) {
        const bool there = std::any_of(listed->begin(), listed->end(),
                                       [&](const QString& folder) { return samePath(folder, entry.path); });
        if (!there)
            return {{name, TargetState::Failed,
                     (entry.path + QStringLiteral(" is missing from ") + listFile()).toStdString()}};
    }
    return {{name, TargetState::HoldsGroup, {}}};
}

void DesktopListTarget::fail(const QString& what) {
    failure_ = what;
    logError(errorLine("DesktopPlaces", 75, "Path/File access error: " + what.toStdString()));
}

bool DesktopListTarget::succeeded(const QString& path, UpdateResult result, bool journalWritten) {
    // A list changed without its record could not be cleaned up after a crash.
    if (!journalWritten) {
        fail(journal_->file());
        return false;
    }
    if (result == UpdateResult::Done) return true;
    // A file we cannot read is the user's all the same: one line, and it is
    // left alone until the next start.
    if (result == UpdateResult::Unreadable) refused_ = true;
    fail(path + QStringLiteral(" (") + QLatin1String(updateFailureReason(result)) + QLatin1Char(')'));
    return false;
}

}  // namespace varnel::desktop
