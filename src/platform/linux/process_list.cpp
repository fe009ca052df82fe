// The current user's processes, read from /proc.

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/linux/exe_link.h"
#include "platform/platform.h"

namespace varnel::platform {

namespace {

namespace fs = std::filesystem;

bool isPid(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The real uid and the state letter from /proc/<pid>/status; false when the
// process is gone or cannot be read.
bool readStatus(const fs::path& dir, uid_t& realUid, char& state) {
    std::ifstream in(dir / "status");
    if (!in) return false;
    bool haveUid = false, haveState = false;
    std::string line;
    while (std::getline(in, line) && !(haveUid && haveState)) {
        if (line.rfind("State:", 0) == 0) {
            size_t i = line.find_first_not_of(" \t", 6);
            if (i == std::string::npos) return false;
            state = line[i];
            haveState = true;
        } else if (line.rfind("Uid:", 0) == 0) {
            try {
                realUid = static_cast<uid_t>(std::stoul(line.substr(4)));
            } catch (...) {
                return false;
            }
            haveUid = true;
        }
    }
    return haveUid && haveState;
}

// The executable's file name; the kernel's short name when the link cannot be read.
std::string executableName(const fs::path& dir) {
    const fs::path target = executableBehind(dir / "exe");
    if (!target.empty()) return target.filename().string();
    std::ifstream in(dir / "comm");
    std::string name;
    std::getline(in, name);
    return name;
}

}  // namespace

std::vector<std::string> runningProcessNames() {
    std::vector<std::string> names;
    const uid_t me = ::getuid();
    // An unreadable /proc throws: the caller logs it and finds no process.
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (!isPid(pid)) continue;
        uid_t uid = 0;
        char state = 0;
        if (!readStatus(entry.path(), uid, state)) continue;
        // Another user's copy must not stop ours; an ended process waiting
        // to be reaped does not run.
        if (uid != me || state == 'Z' || state == 'X') continue;
        std::string name = executableName(entry.path());
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

}  // namespace varnel::platform
