#include "lang/language_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "core/log.h"
#include "core/program_folder.h"

namespace varnel {

namespace {

const char* const kLabel = "checkForLanguageFiles update.exe";

// Every plain, visible file of the Language folder, in name order without
// regard to case. A missing folder holds no files.
std::vector<std::string> listLanguageFolder() {
    std::vector<std::string> names;
    const std::filesystem::path folder = programPath("Language");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = pathText(entry.path().filename());
        if (name.empty() || name[0] == '.' || !entry.is_regular_file(ec)) continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int c = compareIgnoreCase(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

}  // namespace

std::vector<std::string> checkForLanguageFiles() {
    std::vector<std::string> files, names;
    guarded(kLabel, [&] { files = listLanguageFolder(); });
    for (const std::string& file : files) names.push_back(replaceAll(file, ".lang", ""));
    return names;
}

}  // namespace varnel
