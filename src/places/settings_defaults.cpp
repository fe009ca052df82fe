#include "places/settings_defaults.h"

#include "core/log.h"
#include "core/registry.h"
#include "core/setting_text.h"
#include "programs/program_bindings.h"

namespace varnel {

void initSettings() {
    // Its log lines have always carried this label; readers of Error.log know them by it.
    const char* label = "setShortGroup";
    bool exists = false;
    guarded(label, [&] { exists = keyExists(HKEY_CURRENT_USER, kSettingsKey); });
    if (exists) return;
    guarded(label, [] { createKey(HKEY_CURRENT_USER, kSettingsKey); });
    guarded(label, [] { writeSettingText("CurrentGroup", std::string()); });
    guarded(label, [] { writeSettingText("Language", "English"); });
}

void deleteSettings(const std::string& label) {
    guarded(label, [] { deleteValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup"); });
    guarded(label, [] { deleteValue(HKEY_CURRENT_USER, kSettingsKey, "Language"); });
    // The programs' groups are a key of their own below the settings.
    guarded(label, [] { deleteRegistryTree(HKEY_CURRENT_USER, kProgramsKey); });
    guarded(label, [] { deleteKey(HKEY_CURRENT_USER, kSettingsParent, "VarnelZize"); });
}

}  // namespace varnel
