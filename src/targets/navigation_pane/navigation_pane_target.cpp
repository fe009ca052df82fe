#include "targets/navigation_pane/navigation_pane_target.h"

#include "targets/desktop_places_setting.h"

namespace varnel {

void NavigationPaneTarget::apply(const PlaceSet& places) {
    if (desktopPlacesTurnedOff()) pane_.remove();
    else pane_.apply(places);
}

std::vector<TargetReport> NavigationPaneTarget::report(const PlaceSet& group) const {
    if (desktopPlacesTurnedOff()) return {{name(), TargetState::Off, {}}};
    if (!pane_.failure().empty()) return {{name(), TargetState::Failed, pane_.failure()}};
    if (const std::optional<std::string> missing = pane_.missingFolder(group))
        return {{name(), TargetState::Failed, "the navigation pane does not show " + *missing}};
    return {{name(), TargetState::HoldsGroup, {}}};
}

}  // namespace varnel
