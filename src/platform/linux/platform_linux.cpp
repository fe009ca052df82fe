#include "platform/linux/exe_link.h"
#include "platform/linux/file_registry.h"
#include "platform/platform.h"

namespace varnel::platform {

std::filesystem::path executablePath() {
    std::filesystem::path p = executableBehind("/proc/self/exe");
    return p.empty() ? std::filesystem::current_path() / "Varnel_Zize" : p;
}

std::unique_ptr<RegistryBackend> createRegistryBackend() {
    return std::make_unique<FileRegistry>(FileRegistry::defaultFile());
}

char placeSeparator() { return '/'; }

bool rewritesForwardSlashes() { return false; }

const char* executableSuffix() { return ""; }

const char* releasePlatform() { return "Linux"; }

bool runningUnderWine() { return false; }

void notifyShellNamespaceChanged() {}

}  // namespace varnel::platform
