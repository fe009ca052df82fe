#pragma once
// Writes the active group's five places into the Places Bar of the common
// file dialog and into the user-defined places of every Office version, and
// removes them again.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "targets/place_target.h"

namespace varnel {

// What the engine remembers of Office between calls: the versions found by
// the last call that found any (indexed by the Office root's enumeration
// index; non-numeric positions stay empty), and the names of their first
// five standard places. An empty optional is a list no call has sized yet.
struct OfficeLists {
    std::optional<std::vector<std::string>> versions;
    std::vector<std::array<std::string, 5>> standardPlaces;
};
const OfficeLists& officeListsFound();
// A fresh start: nothing remembered (a new process, or a test).
void forgetOfficeLists();

// Writes `places` into the Places Bar and every Office version's
// user-defined places, replacing what an earlier call wrote: one run of the
// procedure, with its trace block.
void applyPlaces(const PlaceSet& places);
// Removes every entry the program wrote there.
void removePlaces();

inline constexpr const char* kPlacesBarKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";
inline constexpr const char* kPlacesBarParent = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32";
inline constexpr const char* kOfficeRoot = "Software\\Microsoft\\Office";

}  // namespace varnel
