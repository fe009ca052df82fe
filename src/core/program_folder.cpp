#include "core/program_folder.h"

#include <optional>
#include <system_error>

#include "core/text.h"
#include "platform/platform.h"

namespace varnel {

namespace {

std::optional<std::filesystem::path>& folderOverride() {
    static std::optional<std::filesystem::path> folder;
    return folder;
}

}  // namespace

const std::filesystem::path& programFolder() {
    if (folderOverride()) return *folderOverride();
    static const std::filesystem::path folder = platform::executablePath().parent_path();
    return folder;
}

void setProgramFolder(const std::filesystem::path& folder) { folderOverride() = folder; }

std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& base, std::string_view relative) {
    std::filesystem::path result = base;
    bool searching = true;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = relative.size();
        std::string part(relative.substr(start, end - start));
        start = end + 1;
        if (part.empty() || part == ".") {
            if (end == relative.size()) break;
            continue;
        }
        std::filesystem::path candidate = result / pathFromText(part);
        std::error_code ec;
        if (searching && !std::filesystem::exists(candidate, ec)) {
            bool found = false;
            for (const auto& entry : std::filesystem::directory_iterator(result, ec)) {
                if (equalsIgnoreCase(pathText(entry.path().filename()), part)) {
                    candidate = entry.path();
                    found = true;
                    break;
                }
            }
            if (!found) searching = false;
        }
        result = candidate;
        if (end == relative.size()) break;
    }
    return result;
}

std::filesystem::path programPath(std::string_view relative) {
    return resolveCaseInsensitive(programFolder(), relative);
}

std::string programBaseName() { return pathText(platform::executablePath().stem()); }

}  // namespace varnel
