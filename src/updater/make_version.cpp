#include "updater/make_version.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/text.h"
#include "core/db.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"
#include "core/sql_statements.h"
#include "core/sqlite_wrapper.h"
#include "update/manifest.h"
#include "updater/release_walk.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

}  // namespace

class ReleaseBuilder::Database {
public:
    // Opens the program folder's database; logs why when it cannot.
    Database() {
        const fs::path file = programPath(kGroupDatabaseFile);
        std::error_code ec;
        if (!fs::exists(file, ec)) {
            logError(errorLine("Varnel_Zize_Update.exe - Cant open database", err::FileNotFound, "File not found") +
                     "\t" + pathText(file));
            return;
        }
        std::string error;
        db_ = sqlite_open(pathText(file), error);
        if (!db_) logError(errorLine("Varnel_Zize_Update.exe - Cant open database", 0, "") + "\t" + error);
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

namespace {

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

ReleaseBuilder::ReleaseBuilder() : files_(releaseFiles(programFolder())), db_(std::make_unique<Database>()) {
    std::erase_if(files_, isLog);
    // One transaction: a release of thousands of files is written in one go.
    if (db_->open()) db_->run("BEGIN");
}

ReleaseBuilder::~ReleaseBuilder() = default;

bool ReleaseBuilder::addNextFile() {
    // Without its database a release lists nothing.
    if (!db_ || !db_->open() || next_ == files_.size()) return false;
    const std::string& file = files_[next_++];
    buffer_ += manifestLine(file, "1");
    const bool topLevel = file.find('\\') == std::string::npos;
    db_->run(topLevel ? sqlAddTopLevelFile(file) : sqlAddReleaseFile(file));
    return true;
}

std::string ReleaseBuilder::finish() {
    if (db_ && db_->open()) {
        db_->run("COMMIT");
        if (!db_->lastError().empty()) {
            logError(errorLine("Varnel_Zize_Update.exe - Sql execute error", 0, "") + "\t" + db_->lastError());
            logError(errorLine("Varnel_Zize_Update.exe", 0, "") + "\t" + db_->lastError());
        }
    }
    db_.reset();
    const std::string text = trimBlanks(buffer_) + "\r\n";
    writeManifest(text);
    return text;
}

std::string makeVersion() {
    ReleaseBuilder builder;
    while (builder.addNextFile()) {
    }
    return builder.finish();
}

}  // namespace varnel
