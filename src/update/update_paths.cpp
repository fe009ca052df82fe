#include "update/update_paths.h"

#include "base/text.h"
#include "platform/platform.h"

namespace varnel {

std::string mainProgramEntry() { return std::string("Varnel_Zize") + platform::executableSuffix(); }

std::string updaterFileName() { return std::string("Varnel_Zize_Update") + platform::executableSuffix(); }

std::string mainProgramTempEntry() { return "Temp\\" + mainProgramEntry(); }

std::string backupName(const std::string& relativePath) {
    if (relativePath.find('&') == std::string::npos) return replaceAll(relativePath, "\\", "&");
    const std::string escaped = replaceAll(replaceAll(relativePath, "%", "%25"), "&", "%26");
    return "&" + replaceAll(escaped, "\\", "&");
}

std::string restoredPath(const std::string& name) {
    if (name.size() > 1 && name.front() == '&') {
        const std::string path =
            replaceAll(replaceAll(replaceAll(name.substr(1), "&", "\\"), "%26", "&"), "%25", "%");
        // Only a path with "&" in it is ever written this way.
        if (path.find('&') != std::string::npos) return path;
    }
    return replaceAll(name, "&", "\\");
}

bool isSafeRelativePath(const std::string& path) {
    if (path.empty()) return false;
    if (path.front() == '\\' || path.front() == '/') return false;
    if (path.find(':') != std::string::npos) return false;  // drive letters, streams, URLs
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace varnel
