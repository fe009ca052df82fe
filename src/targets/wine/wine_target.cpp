#include "targets/wine/wine_target.h"

#include "targets/desktop_places_setting.h"

namespace varnel::desktop {

WineTarget::WineTarget(const DesktopFolders& folders) : wine_(folders.winePrefix, folders.state) {
    wine_.onRunEnded([this] { stateChanged(); });
}

void WineTarget::apply(const PlaceSet& places) {
    wine_.update(desktopListTurnedOn(name()) ? placeEntries(places) : QList<PlaceEntry>{});
}

std::vector<TargetReport> WineTarget::report(const PlaceSet& group) const {
    if (!desktopListTurnedOn(name())) return {{name(), TargetState::Off, {}}};
    if (!wine_.present()) return {{name(), TargetState::NotInstalled, {}}};
    if (!wine_.failure().isEmpty()) return {{name(), TargetState::Failed, wine_.failure().toStdString()}};
    for (const QString& value : wine_.placesBarValues(placeEntries(group))) {
        if (wine_.written().contains(value, Qt::CaseInsensitive)) continue;
        return {{name(), TargetState::Failed,
                 (wine_.writing() ? QStringLiteral("Wine is still writing ") + value
                                  : value + QStringLiteral(" is missing from the Places Bar of Wine"))
                     .toStdString()}};
    }
    return {{name(), TargetState::HoldsGroup, {}}};
}

}  // namespace varnel::desktop
