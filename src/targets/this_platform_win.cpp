// Windows: the new-style dialog's navigation pane beside the Places Bar.
#include <QDir>
#include <QString>

#include "core/path_text.h"
#include "platform/platform.h"
#include "targets/navigation_pane/navigation_pane_target.h"
#include "targets/owner_lock.h"
#include "targets/this_platform.h"

namespace varnel {

void addTargetsOfThisPlatform(PlaceTargets& targets) {
    const QString folder = QString::fromStdString(pathText(platform::userDataFolder()));
    QDir().mkpath(folder);
    if (!ownDesktopPlaces(folder + QStringLiteral("/navigation-pane.lock"))) return;
    targets.add(std::make_unique<NavigationPaneTarget>());
    targets.cleanUpEarlierRun();
}

}  // namespace varnel
