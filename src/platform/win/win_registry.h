#pragma once
// The current user's registry on Windows: each call goes straight to the
// wide entry points of advapi32, texts converted from and to UTF-8.

#include "platform/registry_backend.h"

namespace varnel::platform {

class WinRegistry final : public RegistryBackend {
public:
    long openKey(HKey root, const std::string& subKey, HKey* result) override;
    long createKey(HKey root, const std::string& subKey, HKey* result) override;
    long queryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override;
    long setValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override;
    long deleteKey(HKey key, const std::string& subKey) override;
    long deleteValue(HKey key, const std::string& name) override;
    long enumKey(HKey key, std::uint32_t index, char* name, std::uint32_t nameSize) override;
    long closeKey(HKey key) override;
    long enumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                   std::vector<std::uint8_t>* data) override;
};

}  // namespace varnel::platform
