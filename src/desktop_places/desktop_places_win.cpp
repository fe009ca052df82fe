// Windows' own dialogs: the old-style one reads the Places Bar that
// applyPlaces writes; the new-style one gets the group in its navigation pane.
#include <QDir>
#include <QString>
#include <memory>

#include "core/log.h"
#include "core/path_text.h"
#include "desktop_places/install.h"
#include "desktop_places/owner_lock.h"
#include "places/navigation_pane.h"
#include "platform/platform.h"

namespace varnel {

void installDesktopPlaces() {
    const QString folder = QString::fromStdString(pathText(platform::userDataFolder()));
    QDir().mkpath(folder);
    // A second copy must not sweep away the entries of the copy that runs.
    if (!ownDesktopPlaces(folder + QStringLiteral("/navigation-pane.lock"))) return;
    auto places = std::make_unique<NavigationPanePlaces>();
    // What a killed run left in the navigation pane goes first.
    guarded("DesktopPlaces", [&] { places->remove(); });
    setDesktopPlaces(std::move(places));
}

}  // namespace varnel
