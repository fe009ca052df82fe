#include "updater/make_version.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/db.h"
#include "core/events.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"
#include "core/sql_statements.h"
#include "core/sqlite_wrapper.h"
#include "core/text.h"
#include "update/manifest.h"
#include "updater/release_walk.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

class Database {
public:
    // Opens the program folder's database; logs why when it cannot.
    Database() {
        const fs::path file = programPath(kGroupDatabaseFile);
        std::error_code ec;
        if (!fs::exists(file, ec)) {
            LogError(errorLine("Varnel_Zize_Update.exe - Cant open database", err::FileNotFound, "File not found") +
                     "\t" + pathText(file));
            return;
        }
        std::string error;
        db_ = sqlite_open(pathText(file), error);
        if (!db_) LogError(errorLine("Varnel_Zize_Update.exe - Cant open database", 0, "") + "\t" + error);
    }
    ~Database() {
        if (db_) sqlite_close(db_);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool open() const { return db_ != nullptr; }

    // Runs one statement; a failure is remembered for the report at the end.
    void run(const std::string& sql) {
        std::string error;
        ags_sqlite_get_table(db_, sql, error);
        if (!error.empty()) lastError_ = error;
    }

    const std::string& lastError() const { return lastError_; }

private:
    sqlite3* db_ = nullptr;
    std::string lastError_;
};

void writeManifest(const std::string& text) {
    const fs::path file = programPath("Update.upd");
    fs::path partial = file;
    partial += ".new";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) raiseError(err::PathFileAccess);
        out << text;
        if (!out.flush()) raiseError(err::PathFileAccess);
    }
    fs::rename(partial, file);
}

// The logs belong to the machine they were written on; a release that listed
// them would overwrite every user's own logs at the next update.
bool isLog(const std::string& file) { return file == "Error.log" || file == "loggaren.log"; }

}  // namespace

std::string makeVersion() {
    std::vector<std::string> files = releaseFiles(programFolder());
    std::erase_if(files, isLog);

    std::string buffer;
    {
        Database db;
        if (db.open()) {
            // One transaction: a release of thousands of files is written in one go.
            db.run("BEGIN");
            for (const std::string& file : files) {
                const bool topLevel = file.find('\\') == std::string::npos;
                buffer += manifestLine(file, "1");
                letPendingEventsRun();
                db.run(topLevel ? sqlAddTopLevelFile(file) : sqlAddReleaseFile(file));
            }
            db.run("COMMIT");
            if (!db.lastError().empty()) {
                LogError(errorLine("Varnel_Zize_Update.exe - Sql execute error", 0, "") + "\t" + db.lastError());
                LogError(errorLine("Varnel_Zize_Update.exe", 0, "") + "\t" + db.lastError());
            }
        }
    }

    const std::string text = trimBlanks(buffer) + "\r\n";
    writeManifest(text);
    return text;
}

}  // namespace varnel
