// The user's own data folder on Linux, after the XDG base directory rules.
#include <cstdlib>

#include "platform/platform.h"

namespace varnel::platform {

std::filesystem::path userDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // The rules ignore a relative setting.
    if (data && *data == '/') return std::filesystem::path(data) / "Varnel";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share" / "Varnel";
}

}  // namespace varnel::platform
