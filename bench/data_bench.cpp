// Group database: filling the group list and reading one group among many.
#include <sqlite3.h>

#include <cstdio>

#include "bench_util.h"
#include "core/db.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "groups/group_service.h"
#ifndef _WIN32
#include "platform/linux/file_registry.h"
#endif

using namespace varnel;

namespace {

std::string groupName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "Group %04d", i);
    return name;
}

// The shipped database with `count` groups, written in one transaction.
void fillDatabase(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder / "Db");
    std::filesystem::copy_file(VARNEL_EMPTY_DATABASE, folder / "Db" / "varnel.db");
    sqlite3* db = nullptr;
    sqlite3_open((folder / "Db" / "varnel.db").c_str(), &db);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    for (int i = 0; i < count; ++i) {
        const std::string n = groupName(i);
        const std::string sql = sqlAddGroup(n, {"/home/user/" + n, "/srv/data/" + n, "/media/photos/2008",
                                                "/home/user/Documents", "/tmp"});
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace

int main() {
    auto folder = bench::tempFolder("data");
    setProgramFolder(folder);
#ifndef _WIN32
    setRegistryBackend(std::make_unique<platform::FileRegistry>(folder / "HKEY_CURRENT_USER.reg"));
#endif
    fillDatabase(folder, 1000);
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", groupName(500));

    bool ok = true;
    GroupService groups;
    double list = bench::medianMicroseconds(50, [&] {
        ok = groups.reloadList() && groups.listing().names.size() == 1000 && ok;
    });
    bench::report("LoadListFromDb with 1000 groups", list / 1000.0, "ms");

    const std::string one = sqlLoadGroup(groupName(777));
    double query = bench::medianMicroseconds(500, [&] {
        ok = queryDb(one).hasRows() && ok;
    });
    bench::report("getDbData one group among 1000", query / 1000.0, "ms");

    setRegistryBackend(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (!ok) std::fprintf(stderr, "data_bench: the group table did not read back as written\n");
    return ok ? 0 : 1;
}
