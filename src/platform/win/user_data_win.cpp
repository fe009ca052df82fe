// The user's own data folder on Windows: the local application data.
#include <cstdlib>

#include "platform/platform.h"

namespace varnel::platform {

std::filesystem::path userDataFolder() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local && *local) return std::filesystem::path(local) / "Varnel";
    return std::filesystem::temp_directory_path() / "Varnel";
}

}  // namespace varnel::platform
