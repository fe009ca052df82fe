#include "targets/places_bar/places_bar_target.h"

#include <algorithm>

#include "base/text.h"
#include "core/numeric.h"
#include "core/registry.h"
#include "platform/platform.h"
#include "targets/places_bar/places_bar.h"

namespace varnel {

namespace {

std::string textValue(const std::string& key, const std::string& name) {
    const RegValue value = queryValue(HKEY_CURRENT_USER, key, name);
    const std::string* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

// Whether every non-empty place of the group is among `listed`.
bool holds(const PlaceSet& group, const std::vector<std::string>& listed) {
    return std::all_of(group.begin(), group.end(), [&](const std::string& place) {
        return place.empty() || std::find(listed.begin(), listed.end(), place) != listed.end();
    });
}

TargetReport placesBarLine(const PlaceSet& group) {
    std::vector<std::string> listed;
    for (int i = 0; i <= 4; ++i) listed.push_back(textValue(kPlacesBarKey, "place" + std::to_string(i)));
    if (holds(group, listed)) return {"Places Bar", TargetState::HoldsGroup, {}};
    return {"Places Bar", TargetState::Failed, std::string("the group is missing from ") + kPlacesBarKey};
}

TargetReport officeLine(const PlaceSet& group) {
    const std::string root = std::string(kOfficeRoot) + "\\";
    std::vector<std::string> versions;
    if (keyExists(HKEY_CURRENT_USER, kOfficeRoot))
        for (std::int32_t k = 0;; ++k) {
            const std::string name = subKeyName(HKEY_CURRENT_USER, root, k);
            if (name == "Not Found") break;
            if (isNumeric(name)) versions.push_back(name);
        }
    if (versions.empty()) return {"Office", TargetState::NotInstalled, {}};
    // Office gets the places with the platform's separator.
    PlaceSet wanted = group;
    if (platform::rewritesForwardSlashes())
        for (std::string& place : wanted) place = replaceAll(place, "/", std::string(1, platform::placeSeparator()));
    std::vector<std::string> missing;
    for (const std::string& version : versions) {
        std::vector<std::string> listed;
        for (int j = 0; j <= 4; ++j)
            listed.push_back(textValue(root + version + "\\Common\\Open Find\\Places\\UserDefinedPlaces\\Place" +
                                           std::to_string(j),
                                       "Path"));
        if (!holds(wanted, listed)) missing.push_back(version);
    }
    if (missing.empty()) return {"Office", TargetState::HoldsGroup, {}};
    std::string versionsText;
    for (const std::string& v : missing) versionsText += (versionsText.empty() ? "" : ", ") + v;
    return {"Office", TargetState::Failed, "the group is missing from the places of Office " + versionsText};
}

}  // namespace

void PlacesBarTarget::apply(const PlaceSet& places) { applyPlaces(places); }

void PlacesBarTarget::remove() { removePlaces(); }

std::vector<TargetReport> PlacesBarTarget::report(const PlaceSet& group) const {
    return {placesBarLine(group), officeLine(group)};
}

}  // namespace varnel
