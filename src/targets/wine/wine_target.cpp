#include "targets/wine/wine_target.h"

#include "targets/desktop_places_setting.h"

namespace varnel::desktop {

namespace {
const char* const kName = "Wine";
}

WineTarget::WineTarget(const DesktopFolders& folders) : wine_(folders.winePrefix, folders.state) {
    wine_.onRunEnded([this] { stateChanged(); });
}

void WineTarget::apply(const PlaceSet& places) {
    wine_.update(desktopListTurnedOn(kName) ? placeEntries(places) : QList<PlaceEntry>{});
}

std::vector<TargetReport> WineTarget::report(const PlaceSet& group) const {
    if (!desktopListTurnedOn(kName)) return {{kName, TargetState::Off, {}}};
    if (!wine_.present()) return {{kName, TargetState::NotInstalled, {}}};
    if (!wine_.failure().isEmpty()) return {{kName, TargetState::Failed, wine_.failure().toStdString()}};
    for (const QString& value : wine_.placesBarValues(placeEntries(group))) {
        if (wine_.written().contains(value, Qt::CaseInsensitive)) continue;
        TargetReport line{kName, TargetState::Failed, {}};
        line.underWay = wine_.writing();
        line.reason = (line.underWay ? QStringLiteral("Wine is still writing ") + value
                                     : value + QStringLiteral(" is missing from the Places Bar of Wine"))
                          .toStdString();
        return {line};
    }
    return {{kName, TargetState::HoldsGroup, {}}};
}

}  // namespace varnel::desktop
