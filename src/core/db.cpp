#include "core/db.h"

#include <filesystem>
#include <system_error>

#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"

namespace varnel {

namespace {

// One statement against the program's database. `table` is the statement's
// result; `error` is empty on success, else the reason: an opening failure
// (not logged) or the library's message for the statement (logged under `label`).
struct Run {
    bool opened = false;
    DbTable table;
    std::string error;
};

class Connection {
public:
    explicit Connection(sqlite3* db) : db_(db) {}
    ~Connection() {
        if (db_) sqlite_close(db_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_;
};

Run run(const std::string& label, const std::string& sql) {
    Run r;
    const std::filesystem::path file = programPath(kGroupDatabaseFile);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        r.error = missingDatabaseText();
        return r;
    }
    Connection db(sqlite_open(pathText(file), r.error));
    if (!db.get()) return r;
    r.opened = true;
    r.table = ags_sqlite_get_table(db.get(), sql, r.error);
    if (!r.error.empty()) logError(errorLine(label, 0, "") + "\t" + r.error);
    return r;
}

}  // namespace

std::string missingDatabaseText() { return "unable to open database file: Db\\varnel.db is missing"; }

DbChange dbExec(const std::string& sql) {
    DbChange change{"not run"};
    guarded("dbExec", [&] { change.error = run("dbExec", sql).error; });
    return change;
}

DbRows queryDb(const std::string& sql) {
    DbRows rows;
    try {
        Run r = run("getDbData", sql);
        rows.table = std::move(r.table);
        if (!r.error.empty())
            rows.status = r.error;
        else if (ags_number_of_rows_from_last_call() < 1)
            rows.status = "empty";
    } catch (...) {
        // A half-read result must not pass for a good one.
        CaughtError e = describeCurrentException();
        logError(errorLine("getDbData", e.number, e.description));
        rows.status = e.description;
    }
    return rows;
}

std::string queryFirstValue(const std::string& sql) {
    std::string result;
    guarded("getOneColBack", [&] {
        Run r = run("getOneColBack", sql);
        if (r.error.empty() && ags_number_of_rows_from_last_call() >= 1) result = r.table(1, 0);
    });
    return result;
}

}  // namespace varnel
