#include "update/leftover_backups.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/db.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/sql_statements.h"
#include "update/update_batch.h"
#include "update/update_paths.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

const char* const kLabel = "restoreLeftoverBackups";

}  // namespace

void restoreLeftoverBackups() {
    std::vector<std::string> names;
    guarded(kLabel, [&] {
        const fs::path temp = programPath("Temp");
        std::error_code ec;
        if (!fs::is_directory(temp, ec)) return;
        for (const auto& entry : fs::directory_iterator(temp))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    });

    for (const std::string& name : names) {
        if (name.find('&') == std::string::npos) continue;
        const std::string target = restoredPath(name);
        if (!isSafeRelativePath(target)) continue;
        const fs::path place = programPath(target);
        std::error_code ec;
        if (fs::exists(place, ec)) {
            dropBackup(target);
            logError(errorLine(kLabel, 0, "backup of a completed download removed") + "\tTemp\\" + name);
            continue;
        }
        const bool restored = guarded(kLabel, [&] {
            fs::create_directories(place.parent_path());
            fs::rename(programPath("Temp\\" + name), place);
        });
        if (!restored) continue;
        dbExec(sqlRecordFileVersion(target, "1"));
        logError(errorLine(kLabel, 0, "put back from Temp") + "\t" + target);
    }
}

}  // namespace varnel
