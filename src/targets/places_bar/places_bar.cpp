#include "targets/places_bar/places_bar.h"

#include "base/text.h"
#include "core/log.h"
#include "core/numeric.h"
#include "core/registry.h"
#include "core/runtime_error.h"
#include "targets/place_name.h"
#include "platform/platform.h"

namespace varnel {

namespace {

OfficeLists& remembered() {
    static OfficeLists lists;
    return lists;
}

const std::string W = kPlacesBarKey;
const std::string O = "Software\\Microsoft\\Office\\";

std::string boolWord(bool b) { return b ? "True" : "False"; }

std::string placesKey(const std::string& version) { return O + version + "\\Common\\Open Find\\Places"; }
std::string standardPlacesKey(const std::string& version) {
    return O + version + "\\Common\\Open Find\\Places\\StandardPlaces\\";
}

// The versions list as the Office steps walk it; an unsized list fails the
// way indexing an undimensioned array does.
const std::vector<std::string>& versions() {
    if (!remembered().versions) raiseError(err::SubscriptOutOfRange);
    return *remembered().versions;
}

// Runs one step; a failure is logged and traced, and the next step follows.
template <typename Step>
void step(Step&& body) {
    try {
        body();
    } catch (...) {
        CaughtError e = describeCurrentException();
        logError(errorLine("setShortGroup", e.number, e.description));
        logTrace("Fick error " + std::to_string(e.number) + " -- " + e.description);
    }
}

void clearUserDefinedPlaces() {
    for (const auto& v : versions()) {
        if (v.empty()) continue;
        const std::string user = placesKey(v) + "\\UserDefinedPlaces";
        for (int j = 0; j <= 4; ++j) {
            deleteKey(HKEY_CURRENT_USER, user, "Place" + std::to_string(j));
            logTrace("Ta bort Software\\Microsoft\\Office\\" + v +
                     "\\Common\\Open Find\\Places\\UserDefinedPlaces Place" + std::to_string(j));
        }
        logTrace("Ta bortSoftware\\Microsoft\\Office\\" + v + "\\Common\\Open Find\\Places UserDefinedPlaces");
        deleteKey(HKEY_CURRENT_USER, placesKey(v), "UserDefinedPlaces");
    }
}

// The Places Bar's five values, or the key gone.
void writePlacesBar(bool setOrDel, const PlaceSet& written) {
    if (setOrDel) {
        createKey(HKEY_CURRENT_USER, W);
        logTrace("Uppdaterar " + W);
        for (int i = 0; i <= 4; ++i) {
            setValue(HKEY_CURRENT_USER, W, "place" + std::to_string(i), written[i]);
            logTrace("Skapar " + W + " place" + std::to_string(i) + " " + written[i]);
        }
    } else if (keyExists(HKEY_CURRENT_USER, W)) {
        deleteKey(HKEY_CURRENT_USER, kPlacesBarParent, "PlacesBar");
        logTrace(std::string("Tar bort ") + kPlacesBarParent + " PlacesBar");
    }
}

// The Office versions: numeric sub-keys of the Office root.
void findOfficeVersions() {
    logTrace("Office finns");
    logTrace("Loopar fram alla office versioner");
    for (std::int32_t k = 0;; ++k) {
        std::string name = subKeyName(HKEY_CURRENT_USER, O, k);
        if (name == "Not Found") break;
        if (!isNumeric(name)) continue;
        if (!remembered().versions) remembered().versions.emplace();
        remembered().versions->resize(static_cast<size_t>(k) + 1);
        (*remembered().versions)[static_cast<size_t>(k)] = name;
        logTrace("Office versioner " + name);
    }
}

// The first five standard places of each version.
void findStandardPlaces() {
    const auto& list = versions();
    remembered().standardPlaces.resize(list.size());
    logTrace("Loopar fram alla Standard places ");
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].empty()) continue;
        for (int j = 0; j <= 4; ++j) {
            std::string name = subKeyName(HKEY_CURRENT_USER, standardPlacesKey(list[i]), j);
            if (name == "Not Found") continue;
            remembered().standardPlaces[i][static_cast<size_t>(j)] = name;
            logTrace("Standard places " + name);
        }
    }
}

// Hides (apply) or shows again (remove) the standard places.
void hideStandardPlaces(bool setOrDel) {
    logTrace("Fixar det som ska fixas om inte iUpdate är 1");
    const auto& list = versions();
    for (size_t i = 0; i < list.size() && i < remembered().standardPlaces.size(); ++i) {
        if (list[i].empty()) continue;
        for (const std::string& s : remembered().standardPlaces[i]) {
            if (s.empty()) continue;
            const std::string key = standardPlacesKey(list[i]) + s;
            if (setOrDel) {
                setValue(HKEY_CURRENT_USER, key, "Show", std::int32_t{0});
                logTrace("Skapa " + s);
            } else {
                deleteValue(HKEY_CURRENT_USER, key, "Show");
                logTrace("Tar bort " + s);
            }
        }
    }
}

// The group as each version's user-defined places, written with the
// platform's separator; a remove clears them.
void writeUserDefinedPlaces(bool setOrDel, PlaceSet& written) {
    if (!setOrDel) {
        clearUserDefinedPlaces();
        return;
    }
    const char sep = platform::placeSeparator();
    for (const auto& v : versions()) {
        if (v.empty()) continue;
        logTrace("skapar i office version " + v);
        for (int j = 0; j <= 4; ++j) {
            std::string& place = written[static_cast<size_t>(j)];
            if (platform::rewritesForwardSlashes()) place = replaceAll(place, "/", std::string(1, sep));
            const std::string name = placeDisplayName(place);
            const std::string key = placesKey(v) + "\\UserDefinedPlaces\\Place" + std::to_string(j);
            createKey(HKEY_CURRENT_USER, key);
            logTrace("Skapa UserDefinedPlaces\\Place" + std::to_string(j));
            const std::string traced = "Skapa Software\\Microsoft\\Office\\" + v +
                                       "\\Common\\Open Find\\Places\\UserDefinedPlaces\\Place" +
                                       std::to_string(j);
            logTrace(traced + "Name " + name);
            logTrace(traced + "Path " + place);
            setValue(HKEY_CURRENT_USER, key, "Name", name);
            setValue(HKEY_CURRENT_USER, key, "Path", place);
        }
    }
}

// places: what to apply; none removes every entry.
void writeGroup(const PlaceSet* places) {
    const bool setOrDel = places != nullptr;
    PlaceSet written = places ? *places : PlaceSet{};
    // Some sixty changes: one flushed write of the store instead of one each.
    RegistryChangeBatch changes;
    step([&] { logTrace("\r\nStartar med setOrDel = " + boolWord(setOrDel) + " iUpdate = 0"); });
    step([&] { logTrace("start : Kör windows genvägarna"); });
    step([&] { writePlacesBar(setOrDel, written); });
    step([&] {
        logTrace("Stop : Kör windows genvägarna");
        logTrace("start : office genvägarna");
        logTrace("Kollar om office finns");
    });

    bool office = false;
    step([&] { office = keyExists(HKEY_CURRENT_USER, kOfficeRoot); });
    if (office) {
        step([&] { findOfficeVersions(); });
        step([&] { findStandardPlaces(); });
        step([&] { clearUserDefinedPlaces(); });
        step([&] { hideStandardPlaces(setOrDel); });
        step([&] { logTrace("skapar allt annat som krävs med SetOrDel = " + boolWord(setOrDel)); });
        step([&] { writeUserDefinedPlaces(setOrDel, written); });
    }

    changes.finish();
    step([&] { logTrace("Stop : office genvägarna"); });
}

}  // namespace

const OfficeLists& officeListsFound() { return remembered(); }

void forgetOfficeLists() { remembered() = {}; }

void applyPlaces(const PlaceSet& places) { writeGroup(&places); }

void removePlaces() { writeGroup(nullptr); }

}  // namespace varnel
