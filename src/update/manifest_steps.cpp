#include "update/manifest_steps.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/db.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"
#include "core/sql_statements.h"
#include "core/sqlite_wrapper.h"
#include "lang/text_table.h"
#include "update/manifest.h"
#include "update/update_paths.h"
#include "update/version_order.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

std::string readManifestFile() {
    const fs::path file = programPath("Update.upd");
    std::ifstream in(file, std::ios::binary);
    if (!in) raiseError(err::FileNotFound);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string refusedPathLine(const std::string& label, const std::string& path) {
    return errorLine(label, err::PathFileAccess, "Path/File access error") + "\t" + path;
}

std::optional<DownloadList> readManifestFile(UpdateWindowView& window) {
    Manifest manifest;
    if (!guarded("readUpdateFile", [&] { manifest = parseManifest(readManifestFile()); })) return std::nullopt;

    if (manifest.message) window.showMessage(*manifest.message);

    DownloadList list;
    for (const ManifestEntry& entry : manifest.entries) {
        if (!isSafeRelativePath(entry.file)) {
            logError(refusedPathLine("readUpdateFile", entry.file));
            continue;
        }
        if (checkVersion(entry.file, entry.version)) {
            list.files.push_back(entry.file);
            list.versions.push_back(entry.version);
        }
    }

    if (list.files.empty()) {
        window.setUpdateEnabled(false);
        window.showStatus(Texts.NoNewUpdatesAvalible);
        window.hideMessage();
        return std::nullopt;
    }
    window.setUpdateEnabled(true);
    window.showStatus(Texts.NewUpdatesAvalible);
    return list;
}

bool checkVersion(const std::string& file, const std::string& version) {
    const std::string sql = sqlReadFileVersion(file);
    const fs::path database = programPath(kGroupDatabaseFile);
    std::error_code ec;
    if (!fs::exists(database, ec)) return false;

    std::string error;
    sqlite3* db = sqlite_open(pathText(database), error);
    DbTable table;
    if (db) {
        table = ags_sqlite_get_table(db, sql, error);
        sqlite_close(db);
    }
    if (!error.empty()) {
        logError(errorLine("getDbData", 0, "") + "\t" + error);
        return false;
    }
    // A file the version table does not list is never offered.
    if (table.rows() < 2 || table.columns() < 2) return false;
    return versionComesBefore(table(1, 1), version);
}

void discardWaitingUpdate() {
    const char* label = "cancelUpdate";
    // A copy that reached Temp had its new version recorded; with the copy
    // gone the row goes back to '1', so that the next check offers it again.
    const std::pair<std::string, std::string> waitingFiles[] = {{mainProgramTempEntry(), mainProgramEntry()},
                                                                {kDatabaseTempEntry, kDatabaseEntry}};
    for (const auto& files : waitingFiles) {
        // Named copies: a lambda may not capture a structured binding (clang).
        const std::string& waiting = files.first;
        const std::string& entry = files.second;
        bool removed = false;
        guarded(label, [&] {
            const fs::path file = programPath(waiting);
            if (fs::exists(file)) removed = fs::remove(file);
        });
        if (removed) dbExec(sqlRecordFileVersion(entry, "1"));
    }
}

void cancelUpdate(UpdateWindowView& window) {
    const char* label = "cancelUpdate";
    window.setCancelEnabled(false);
    window.setUpdateEnabled(false);
    window.setCheckEnabled(true);

    discardWaitingUpdate();
    window.showAlert(Texts.DownloadCancelled);

    // Listed before anything moves, so a restored file is not met again.
    std::vector<std::string> names;
    guarded(label, [&] {
        const fs::path temp = programPath("Temp");
        std::error_code ec;
        if (!fs::is_directory(temp, ec)) return;
        for (const auto& entry : fs::directory_iterator(temp)) names.push_back(pathText(entry.path().filename()));
    });

    for (const std::string& name : names) {
        if (name.find('&') == std::string::npos) continue;
        const std::string target = restoredPath(name);
        if (!isSafeRelativePath(target)) {
            logError(refusedPathLine(label, name));
            continue;
        }
        dbExec(sqlRecordFileVersion(target, "1"));
        guarded(label, [&] {
            const fs::path place = programPath(target);
            fs::create_directories(place.parent_path());
            // Takes the place of the partly or wholly downloaded replacement in one step.
            fs::rename(programPath("Temp\\" + name), place);
        });
    }

    window.unload();
}

}  // namespace varnel
