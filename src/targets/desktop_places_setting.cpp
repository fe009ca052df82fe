#include "targets/desktop_places_setting.h"

#include "base/text.h"
#include "core/registry.h"
#include "core/setting_text.h"

namespace varnel {

namespace {

std::string setting() {
    const RegValue value = queryValue(HKEY_CURRENT_USER, kSettingsKey, "DesktopPlaces");
    const std::string* text = std::get_if<std::string>(&value);
    return text ? trimBlanks(*text) : std::string();
}

}  // namespace

bool desktopListTurnedOn(std::string_view name) {
    const std::string names = setting();
    if (names.empty()) return true;
    size_t at = 0;
    while (at < names.size()) {
        const size_t end = names.find_first_of(",; ", at);
        const std::string word = names.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (equalsIgnoreCase(word, name)) return true;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return false;
}

bool desktopPlacesTurnedOff() { return equalsIgnoreCase(setting(), "none"); }

}  // namespace varnel
