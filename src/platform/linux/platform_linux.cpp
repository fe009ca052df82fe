#include "platform/linux/exe_link.h"
#include "platform/linux/file_registry.h"
#include "platform/platform.h"

#include <cstdlib>

namespace varnel::platform {

std::filesystem::path executablePath() {
    std::filesystem::path p = executableBehind("/proc/self/exe");
    return p.empty() ? std::filesystem::current_path() / "Varnel_Zize" : p;
}

std::unique_ptr<RegistryBackend> createRegistryBackend() {
    return std::make_unique<FileRegistry>(FileRegistry::defaultFile());
}

std::vector<std::filesystem::path> policyFiles() {
    const char* set = std::getenv("XDG_CONFIG_DIRS");
    const std::string folders = set && *set ? set : "/etc/xdg";
    std::vector<std::filesystem::path> files;
    size_t at = 0;
    while (at <= folders.size()) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        const std::filesystem::path folder = folders.substr(at, end - at);
        // A relative folder is no folder of the system's.
        if (folder.is_absolute()) files.push_back(folder / "Varnel" / "policy.conf");
        at = end + 1;
    }
    return files;
}

char placeSeparator() { return '/'; }

bool rewritesForwardSlashes() { return false; }

bool programNamesIgnoreCase() { return false; }

const char* executableSuffix() { return ""; }

const char* releasePlatform() { return "Linux"; }

bool runningUnderWine() { return false; }

void notifyShellNamespaceChanged() {}

}  // namespace varnel::platform
