#pragma once
// The setting "DesktopPlaces": which lists beyond the Places Bar get the
// group, e.g. "GTK,KDE,Qt,Wine", or "none". Without it every list found does.

#include <string_view>

namespace varnel {

// Whether the setting leaves the list `name` ("GTK", "KDE", "Qt", "Wine") on.
bool desktopListTurnedOn(std::string_view name);

// Whether the setting is "none": nothing beyond the Places Bar gets the group.
bool desktopPlacesTurnedOff();

}  // namespace varnel
