#include "places/settings_defaults.h"

#include "core/log.h"
#include "core/registry.h"

namespace varnel {

void InitSettings() {
    // Its log lines have always carried this label; readers of Error.log know them by it.
    const char* label = "setShortGroup";
    bool exists = false;
    guarded(label, [&] { exists = RegKeyExist(HKEY_CURRENT_USER, kSettingsKey); });
    if (exists) return;
    guarded(label, [] { RegKeyCreatekey(HKEY_CURRENT_USER, kSettingsKey); });
    guarded(label, [] { RegKeyCreatevalue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string()); });
    guarded(label, [] { RegKeyCreatevalue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English")); });
}

}  // namespace varnel
