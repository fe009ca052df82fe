#include "core/program_folder.h"

#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "base/text.h"
#include "platform/platform.h"

namespace varnel {

namespace {

std::optional<std::filesystem::path>& folderOverride() {
    static std::optional<std::filesystem::path> folder;
    return folder;
}

// The first component of a relative path as the system writes it.
std::string_view firstComponent(std::string_view relative) {
    const size_t start = relative.find_first_not_of("\\/");
    if (start == std::string_view::npos) return {};
    relative.remove_prefix(start);
    return relative.substr(0, relative.find_first_of("\\/"));
}

// What the program only reads: the programs, the language files and the
// skin. Everything else (database, logs, Temp, manifest, and whatever the
// program may come to write) belongs to the user.
bool isShippedEntry(std::string_view relative) {
    const std::string first(firstComponent(relative));
    for (const std::string& entry : {std::string("Language"), std::string("Build"),
                                    std::string("Varnel_Zize") + platform::executableSuffix(),
                                    std::string("Varnel_Zize_Update") + platform::executableSuffix()})
        if (equalsIgnoreCase(first, entry)) return true;
    return false;
}

// Tries it: permission bits say nothing about read-only mounts or ACLs.
bool canWriteInto(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / (".varnel-write-probe-" + std::to_string(std::random_device()()));
    bool written = static_cast<bool>(std::ofstream(probe, std::ios::binary | std::ios::app));
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return written;
}

}  // namespace

bool programFolderWritable() {
    static std::filesystem::path checkedFolder;
    static bool writable = true;
    if (checkedFolder != programFolder()) {
        checkedFolder = programFolder();
        writable = canWriteInto(checkedFolder);
    }
    return writable;
}

std::filesystem::path dataFolder() {
    return programFolderWritable() ? programFolder() : platform::userDataFolder();
}

void prepareDataFolder() {
    if (programFolderWritable()) return;
    const std::filesystem::path data = dataFolder();
    std::error_code ec;
    std::filesystem::create_directories(data / "Db", ec);
    const std::filesystem::path database = resolveCaseInsensitive(data, "Db\\Varnel.db");
    if (std::filesystem::exists(database, ec)) return;
    // Copied beside and renamed, so a start that is cut short leaves no half a database.
    const std::filesystem::path partial = data / "Db" / "Varnel.db.part";
    if (std::filesystem::copy_file(resolveCaseInsensitive(programFolder(), "Db\\Varnel.db"), partial,
                                   std::filesystem::copy_options::overwrite_existing, ec)) {
        // The shipped file may be read-only for everyone; the user's copy is the user's to change.
        std::filesystem::permissions(partial, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::rename(partial, data / "Db" / "Varnel.db", ec);
    }
}

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
    if (!programFolderWritable() && !isShippedEntry(relative))
        return resolveCaseInsensitive(platform::userDataFolder(), relative);
    return resolveCaseInsensitive(programFolder(), relative);
}

std::string programBaseName() {
    const std::filesystem::path file = platform::executablePath().filename();
    // Only where program files carry an extension is there one to cut off:
    // "Varnel_Zize.v2" on Linux is a whole name.
    return pathText(*platform::executableSuffix() ? file.stem() : file);
}

}  // namespace varnel
