#pragma once
// Writes the active group's five places into the Places Bar of the common
// file dialog and into the user-defined places of every Office version, and
// removes them again.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

// The places of the group loaded last (normally the active group).
extern std::array<std::string, 5> Places;

// Office versions found by the last call that found any (indexed by the
// Office root's enumeration index; non-numeric positions stay empty), and
// the names of their first five standard places. Both persist between calls.
// An empty optional is a list that no call has sized yet.
extern std::optional<std::vector<std::string>> OfficeVersions;
extern std::vector<std::array<std::string, 5>> OfficeStandardPlaces;

// setOrDel: true applies Places, false removes every entry.
// iUpdate is reset to 0 (the caller's variable too); every call does the full work.
void setShortGroup(bool setOrDel, std::int16_t& iUpdate);

inline constexpr const char* kPlacesBarKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";
inline constexpr const char* kPlacesBarParent = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32";
inline constexpr const char* kOfficeRoot = "Software\\Microsoft\\Office";

}  // namespace varnel
