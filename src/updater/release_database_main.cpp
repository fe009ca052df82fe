// The database a release ships, outside the programs:
//
// varnel_release_database <release folder>
//   fills the release folder's Db/Varnel.db with the rows "makeversion1"
//   writes (every file of the release at version 1, no groups), so that what
//   the build ships can take updates. The same release builder as the
//   updater's, built for the build machine: a cross build cannot run its own
//   updater, and this needs no display. The manifest it writes belongs on the
//   update server and is removed again.
//
// varnel_release_database --renew <installed database> <release database>
//   an install over an installed copy: the installed database keeps its
//   groups and takes the release's version rows, because the files are the
//   release's again. Kept rows would claim updates the files no longer have.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/db.h"
#include "core/path_text.h"
#include "core/program_folder.h"
#include "core/sql_statements.h"
#include "core/sqlite_wrapper.h"
#include "updater/make_version.h"

namespace {

namespace fs = std::filesystem;

int fillRelease(const fs::path& folder) {
    const fs::path database = folder / "Db" / "Varnel.db";
    if (!fs::is_regular_file(database)) {
        std::cerr << "varnel_release_database: " << varnel::pathText(database) << " is missing\n";
        return 1;
    }
    varnel::setProgramFolder(folder);
    const bool emptied = varnel::dbExec(varnel::sqlEmptyVersionTable()) &&
                         varnel::dbExec(varnel::sqlEmptyGroupTable());
    varnel::makeVersion();
    std::error_code ec;
    fs::remove(folder / "Update.upd", ec);
    // The release builder reports its failures in the folder's Error.log.
    const fs::path log = folder / "Error.log";
    if (!emptied || fs::exists(log)) {
        std::stringstream text;
        text << std::ifstream(log, std::ios::binary).rdbuf();
        fs::remove(log, ec);
        std::cerr << "varnel_release_database: the release database was not written\n" << text.str();
        return 1;
    }
    std::cout << "Release database " << varnel::pathText(database) << ": every file at version 1\n";
    return 0;
}

int renew(const std::string& installed, const std::string& release) {
    std::string error;
    sqlite3* db = varnel::sqlite_open(installed, error);
    if (db) {
        // One transaction: the rows change together or not at all.
        for (const std::string& sql :
             {"attach '" + varnel::sqlQuoted(release) + "' as release_db", std::string("begin"),
              varnel::sqlEmptyVersionTable(), std::string("insert into tbl_Update select * from release_db.tbl_Update"),
              std::string("commit")}) {
            varnel::ags_sqlite_get_table(db, sql, error);
            if (!error.empty()) break;
        }
        if (!error.empty()) {
            std::string ignored;
            varnel::ags_sqlite_get_table(db, "rollback", ignored);
        }
        varnel::sqlite_close(db);
    }
    if (!error.empty()) {
        std::cerr << "varnel_release_database: the version rows of " << installed << " stay as they were: " << error
                  << "\n";
        return 1;
    }
    std::cout << "Kept the groups of " << installed << "; its version rows are the release's\n";
    return 0;
}

int run(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1) return fillRelease(fs::absolute(varnel::pathFromText(arguments[0])));
    if (arguments.size() == 3 && arguments[0] == "--renew") return renew(arguments[1], arguments[2]);
    std::cerr << "usage: varnel_release_database <release folder>\n"
                 "       varnel_release_database --renew <installed database> <release database>\n";
    return 2;
}

}  // namespace

#ifdef _WIN32
// Wide arguments: a user's folder may have a name outside the ANSI code page.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(varnel::pathText(fs::path(argv[i])));
    return run(arguments);
}
#else
int main(int argc, char** argv) { return run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
