#include "core/registry.h"
#include "platform/linux/file_registry.h"
#include "support/test_env.h"

namespace varnel::test {

void installTestRegistry(const std::filesystem::path& folder) {
    setRegistryBackend(std::make_unique<platform::FileRegistry>(folder / "registry" / "HKEY_CURRENT_USER.reg"));
}

void removeTestRegistry() { setRegistryBackend(nullptr); }

}  // namespace varnel::test
