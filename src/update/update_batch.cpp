#include "update/update_batch.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "core/log.h"
#include "core/maker.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "update/manifest_steps.h"
#include "update/update_paths.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

const char* const kLabel = "downloadFiles";

void makeTempFolder() {
    const fs::path temp = programPath("Temp");
    if (!fs::is_directory(temp)) fs::create_directories(temp);
}

}  // namespace

std::string updateServerBase(const std::string& organisationServer) {
    std::string base = trimBlanks(organisationServer);
    if (base.empty()) guarded("updateServerBase", [&] {
        const RegValue value = queryValue(HKEY_CURRENT_USER, kSettingsKey, "UpdateServer");
        if (const auto* text = std::get_if<std::string>(&value)) base = trimBlanks(*text);
    });
    if (base.empty()) base = kUpdateServerBase;
    if (base.back() != '/') base += '/';
    return base;
}

std::string updateFileUrl(const std::string& base, const std::string& file) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = base;
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '/') url += '/';
        else if (std::isalnum(byte) && byte < 0x80) url += c;
        else if (c == '-' || c == '.' || c == '_' || c == '~') url += c;
        else {
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 0x0F];
        }
    }
    return url;
}

std::optional<std::string> prepareDestination(const std::string& file, bool& restartNeeded) {
    if (!isSafeRelativePath(file)) {
        logError(refusedPathLine(kLabel, file));
        return std::nullopt;
    }
    if (file == kDatabaseEntry || file == mainProgramEntry()) {
        guarded(kLabel, makeTempFolder);
        restartNeeded = true;
        return file == kDatabaseEntry ? std::string(kDatabaseTempEntry) : mainProgramTempEntry();
    }
    if (file.find_first_of("\\/") == std::string::npos) return file;
    guarded(kLabel, [&] {
        const fs::path backup = programPath("Temp\\" + backupName(file));
        if (fs::exists(backup)) fs::remove(backup);
        makeTempFolder();
        const fs::path current = programPath(file);
        // A file missing from the installation has no old copy to keep; its
        // download goes ahead.
        if (fs::exists(current)) fs::rename(current, backup);
        else fs::create_directories(current.parent_path());
    });
    return file;
}

void dropBackup(const std::string& file) {
    if (file.find_first_of("\\/") == std::string::npos) return;
    guarded(kLabel, [&] {
        const fs::path backup = programPath("Temp\\" + backupName(file));
        if (!fs::exists(backup)) return;
        const fs::path current = programPath(file);
        if (fs::exists(current)) fs::permissions(current, fs::status(backup).permissions());
        fs::remove(backup);
    });
}

}  // namespace varnel
