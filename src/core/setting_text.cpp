#include "core/setting_text.h"

#include <memory>

#include "core/log.h"
#include "core/registry.h"

namespace varnel {

void writeSettingText(const std::string& valueName, const std::string& text) {
    guarded("RegKeyCreatevalue", [&] {
        platform::RegistryBackend& backend = registryBackend();
        HKey key = 0;
        backend.createKey(HKEY_CURRENT_USER, kSettingsKey, &key);
        if (!key) return;
        std::unique_ptr<HKey, void (*)(HKey*)> closer(&key, [](HKey* k) { registryBackend().closeKey(*k); });
        std::string data = text;
        data.push_back('\0');
        backend.setValue(key, valueName, platform::regtype::Sz, reinterpret_cast<const std::uint8_t*>(data.data()),
                         static_cast<std::uint32_t>(data.size()));
    });
}

std::string readSettingText(const std::string& valueName) {
    return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, valueName));
}

}  // namespace varnel
