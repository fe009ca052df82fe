// Linux: the lists of the desktops' file dialogs beside the Places Bar of the
// settings store.
#include <QDir>

#include "targets/desktop_lists/linux_targets.h"
#include "targets/gtk/gtk_target.h"
#include "targets/kde/kde_target.h"
#include "targets/owner_lock.h"
#include "targets/qt/qt_target.h"
#include "targets/this_platform.h"
#include "targets/wine/wine_target.h"

namespace varnel {

namespace desktop {

std::vector<std::unique_ptr<PlaceTarget>> linuxDesktopTargets(const DesktopFolders& folders, const QStringList& only) {
    QDir().mkpath(folders.state);
    auto journal = std::make_shared<Journal>(folders.state + QStringLiteral("/desktop-places.ini"));
    const auto wanted = [&](const char* name) { return only.isEmpty() || only.contains(QLatin1String(name)); };
    std::vector<std::unique_ptr<PlaceTarget>> targets;
    if (wanted("GTK")) targets.push_back(std::make_unique<GtkTarget>(folders, journal));
    if (wanted("KDE")) targets.push_back(std::make_unique<KdeTarget>(folders, journal));
    if (wanted("Qt")) targets.push_back(std::make_unique<QtTarget>(folders, journal));
    if (wanted("Wine")) targets.push_back(std::make_unique<WineTarget>(folders));
    return targets;
}

}  // namespace desktop

void addTargetsOfThisPlatform(PlaceTargets& targets) {
    const desktop::DesktopFolders folders = desktop::DesktopFolders::fromEnvironment();
    QDir().mkpath(folders.state);
    // A second copy must not clean up the lists of the copy that runs.
    if (!ownDesktopPlaces(folders.state + QStringLiteral("/desktop-places.lock"))) return;
    for (auto& target : desktop::linuxDesktopTargets(folders)) targets.add(std::move(target));
    targets.cleanUpEarlierRun();
}

}  // namespace varnel
