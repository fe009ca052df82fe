#pragma once
// The program file a process runs, from its /proc/<pid>/exe link.

#include <filesystem>
#include <string>
#include <system_error>

namespace varnel::platform {

// The link's target without the " (deleted)" the kernel appends once the file
// was replaced or removed while it runs: after a package upgrade the path
// still names the installed program. Empty when the link cannot be read.
inline std::filesystem::path executableBehind(const std::filesystem::path& exeLink) {
    std::error_code ec;
    std::string target = std::filesystem::read_symlink(exeLink, ec).string();
    if (ec) return {};
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0)
        target.erase(target.size() - deleted.size());
    return target;
}

}  // namespace varnel::platform
