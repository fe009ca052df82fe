#include "targets/navigation_pane/navigation_pane_target.h"

#include "targets/desktop_places_setting.h"

namespace varnel {

namespace {
const char* const kName = "Navigation pane";
}

void NavigationPaneTarget::apply(const PlaceSet& places) {
    if (desktopPlacesTurnedOff()) pane_.remove();
    else pane_.apply(places);
}

std::vector<TargetReport> NavigationPaneTarget::report(const PlaceSet& group) const {
    if (desktopPlacesTurnedOff()) return {{kName, TargetState::Off, {}}};
    if (const std::optional<std::string> missing = pane_.missingFolder(group))
        return {{kName, TargetState::Failed, "the navigation pane does not show " + *missing}};
    return {{kName, TargetState::HoldsGroup, {}}};
}

}  // namespace varnel
