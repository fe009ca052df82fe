#include "updater/database_swap.h"

#include <system_error>

#include "core/sqlite_wrapper.h"

namespace varnel::updater {

namespace fs = std::filesystem;

std::string databaseProblem(const fs::path& file) {
    std::string error;
    sqlite3* db = sqlite_open(file.string(), error);
    if (!db) return error;
    const DbTable result = ags_sqlite_get_table(db, "PRAGMA integrity_check;", error);
    sqlite_close(db);
    if (!error.empty()) return error;
    if (result.rows() == 2 && result.columns() == 1 && result(1, 0) == "ok") return {};
    std::string found;
    for (std::size_t row = 1; row < result.rows(); ++row) found += (found.empty() ? "" : "; ") + result(row, 0);
    return found.empty() ? "integrity_check gave no answer" : found;
}

void settleForReplacement(const fs::path& place) {
    std::error_code ec;
    if (fs::exists(place, ec)) {
        std::string error;
        if (sqlite3* db = sqlite_open(place.string(), error)) {
            ags_sqlite_get_table(db, "select count(*) from sqlite_master;", error);
            sqlite_close(db);
        }
    }
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        fs::path leftover = place;
        leftover += suffix;
        if (fs::exists(leftover)) fs::remove(leftover);
    }
}

}  // namespace varnel::updater
