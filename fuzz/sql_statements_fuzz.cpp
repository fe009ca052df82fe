// Fuzz target: the SQL statements the programs compose from names, places,
// files and versions. Whatever the texts, each statement does exactly what
// the same statement with bound parameters does (the oracle): no text
// changes a statement, and every text is stored and found as typed.
#include <sqlite3.h>

#include <array>

#include "core/sql_statements.h"
#include "core/sqlite_wrapper.h"
#include "fuzz_support.h"

using namespace varnel;
using fuzz::fail;

namespace {

const char* const kSchema =
    "CREATE TABLE tbl_Groups (colName TEXT, colPlace0 TEXT, colPlace1 TEXT, colPlace2 TEXT, colPlace3 TEXT, "
    "colPlace4 TEXT);"
    "CREATE TABLE tbl_Update (colFile TEXT, colVersion TEXT);";
// The rows every input starts from.
const char* const kRows =
    "DELETE FROM tbl_Groups; DELETE FROM tbl_Update;"
    "INSERT INTO tbl_Groups VALUES ('Other', 'a', 'b', 'c', 'd', 'e');"
    "INSERT INTO tbl_Update VALUES ('Db\\Varnel.db', '1');"
    "INSERT INTO tbl_Update VALUES ('Varnel_Zize', '1');";

struct Db {
    sqlite3* db = nullptr;
    Db() {
        sqlite3_open(":memory:", &db);
        sqlite3_exec(db, "PRAGMA empty_result_callbacks = ON", nullptr, nullptr, nullptr);
        sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
    }
    void reset() { sqlite3_exec(db, kRows, nullptr, nullptr, nullptr); }
    ~Db() { sqlite3_close(db); }
};

// The composed statement, run the way the programs run it.
std::vector<std::string> composed(Db& db, const std::string& sql) {
    std::string error;
    DbTable table = ags_sqlite_get_table(db.db, sql, error);
    if (!error.empty()) fail("a composed statement failed: " + error, sql);
    std::vector<std::string> cells;
    for (std::size_t r = 1; r < table.rows(); ++r)
        for (std::size_t c = 0; c < table.columns(); ++c) cells.push_back(table(r, c));
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db.db, sql.c_str(), -1, &stmt, &tail);
    sqlite3_finalize(stmt);
    if (tail && *tail) fail("a composed text holds more than one statement", sql);
    return cells;
}

// The same statement with its texts bound as parameters.
std::vector<std::string> oracle(Db& db, const std::string& sql, const std::vector<std::string>& params) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) fail("oracle statement", sql);
    for (std::size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_text(stmt, static_cast<int>(i + 1), params[i].data(), static_cast<int>(params[i].size()),
                          SQLITE_TRANSIENT);
    std::vector<std::string> cells;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            cells.emplace_back(text ? text : "");
        }
    sqlite3_finalize(stmt);
    return cells;
}

std::vector<std::string> tables(Db& db) {
    return oracle(db, "SELECT 'G', * FROM tbl_Groups UNION ALL SELECT 'U', colFile, colVersion, '', '', '', '' "
                      "FROM tbl_Update", {});
}

void same(const std::vector<std::string>& a, const std::vector<std::string>& b, const char* what,
          const std::string& sql) {
    if (a != b) fail(std::string(what) + ": the composed statement and the oracle differ", sql);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto t = fuzz::fields(data, size, 9);
    const std::string& name = t[0];
    const std::array<std::string, 5> places = {t[1], t[2], t[3], t[4], t[5]};
    const std::string& newName = t[6];
    const std::string& file = t[7];
    const std::string& version = t[8];
    static Db built, bound;
    built.reset();
    bound.reset();

    auto step = [&](const char* what, const std::string& sql, const std::string& oracleSql,
                    const std::vector<std::string>& params) {
        same(composed(built, sql), oracle(bound, oracleSql, params), what, sql);
        same(tables(built), tables(bound), what, sql);
    };

    step("add group", sqlAddGroup(name, places),
         "INSERT INTO tbl_Groups (colName, colPlace0, colPlace1, colPlace2, colPlace3, colPlace4) "
         "VALUES (?, ?, ?, ?, ?, ?)",
         {name, places[0], places[1], places[2], places[3], places[4]});
    step("name taken", sqlNameTaken(name), "SELECT colName FROM tbl_Groups WHERE colName = ?", {name});
    step("load group", sqlLoadGroup(name), "SELECT * FROM tbl_Groups WHERE colName = ?", {name});
    step("list groups", sqlListGroups(), "SELECT * FROM tbl_Groups", {});
    step("change group", sqlChangeGroup(newName, {places[4], places[3], places[2], places[1], places[0]}, name),
         "UPDATE tbl_Groups SET colName = ?, colPlace0 = ?, colPlace1 = ?, colPlace2 = ?, colPlace3 = ?, "
         "colPlace4 = ? WHERE colName = ?",
         {newName, places[4], places[3], places[2], places[1], places[0], name});
    step("add release file", sqlAddReleaseFile(file), "INSERT INTO tbl_Update (colFile, colVersion) VALUES (?, '1')",
         {file});
    step("add top-level file", sqlAddTopLevelFile(version),
         "INSERT INTO tbl_Update (colFile, colVersion) VALUES (?, '1')", {version});
    step("record version", sqlRecordFileVersion(file, version),
         "UPDATE tbl_Update SET colVersion = ? WHERE colFile = ?", {version, file});
    step("read version", sqlReadFileVersion(file), "SELECT * FROM tbl_Update WHERE colFile = ?", {file});
    step("delete group", sqlDeleteGroup(newName), "DELETE FROM tbl_Groups WHERE colName = ?", {newName});
    step("delete group", sqlDeleteGroup(name), "DELETE FROM tbl_Groups WHERE colName = ?", {name});
    return 0;
}
