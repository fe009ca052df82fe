// varnel_release_database <release folder>: fills the release folder's
// Db/Varnel.db with the rows "makeversion1" writes (every file of the release
// at version 1, no groups), so that what the build ships can take updates.
// The same release builder as the updater's, built for the build machine:
// a cross build cannot run its own updater, and this needs no display.
// The manifest it writes belongs on the update server and is removed again.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "core/db.h"
#include "core/program_folder.h"
#include "core/sql_statements.h"
#include "updater/make_version.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::cerr << "usage: varnel_release_database <release folder>\n";
        return 2;
    }
    const fs::path folder = fs::absolute(argv[1]);
    const fs::path database = folder / "Db" / "Varnel.db";
    if (!fs::is_regular_file(database)) {
        std::cerr << "varnel_release_database: " << database.string() << " is missing\n";
        return 1;
    }
    varnel::setProgramFolder(folder);
    const bool emptied = varnel::dbExec(varnel::sqlEmptyVersionTable(), varnel::DbStatusUse::Ignore) &&
                         varnel::dbExec(varnel::sqlEmptyGroupTable(), varnel::DbStatusUse::Ignore);
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
    std::cout << "Release database " << database.string() << ": every file at version 1\n";
    return 0;
}
