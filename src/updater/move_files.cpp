#include "updater/move_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/db.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"
#include "core/sql_statements.h"
#include "platform/platform.h"
#include "update/update_paths.h"
#include "updater/database_swap.h"

namespace varnel::updater {


namespace {

namespace fs = std::filesystem;

const char* const kLabel = "Varnel_Zize_Update.exe - moveFiles";
const char* const kLockedText = "Cant move files, Windows has them locked. try restart Varnel and run update again.";
constexpr int kAttemptLimit = 200;

// Replaces `place` by the file waiting at `waiting`, when one waits.
void moveIntoPlace(const std::string& waiting, const std::string& place, bool program) {
    const fs::path from = programPath(waiting);
    if (!fs::exists(from)) return;
    // A download arrives as plain data; the program must be able to start.
    if (program)
        fs::permissions(from, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add);
    // Resolved before the move, so the file keeps the name the folder gave it.
    const fs::path to = programPath(place);
    fs::rename(from, to);
}

// The downloaded database takes the old one's place only when it is sound;
// otherwise the user keeps the old one and the next check offers the new one
// again.
void moveDatabaseIntoPlace() {
    const fs::path from = programPath(kDatabaseTempEntry);
    if (!fs::exists(from)) return;
    const std::string problem = databaseProblem(from);
    if (!problem.empty()) {
        logError(errorLine(kLabel, 0, "") + "\t" + kDatabaseTempEntry + ": " + problem);
        fs::remove(from);
        dbExec(sqlRecordFileVersion(kDatabaseEntry, "1"));
        return;
    }
    const fs::path to = programPath(kDatabaseEntry);
    settleForReplacement(to);
    fs::rename(from, to);
}

void moveOnce() {
    moveIntoPlace(mainProgramTempEntry(), mainProgramEntry(), true);
    moveDatabaseIntoPlace();
}

bool isLock(const CaughtError& e) { return e.number == err::PathFileAccess || e.number == err::PermissionDenied; }

void giveUp(const Hooks& hooks) {
    if (hooks.restoreWindow) hooks.restoreWindow();
    if (hooks.messageBox) hooks.messageBox(kLockedText);
    dbExec(sqlRecordFileVersion(mainProgramEntry(), "1"));
    dbExec(sqlRecordFileVersion(kDatabaseEntry, "1"));
    for (const std::string& waiting : {mainProgramTempEntry(), std::string(kDatabaseTempEntry)})
        guarded(kLabel, [&] {
            const fs::path file = programPath(waiting);
            if (fs::exists(file)) fs::remove(file);
        });
}

}  // namespace

FileMove::FileMove(Hooks hooks) : hooks_(std::move(hooks)) {}

MoveStep FileMove::step() {
    if (hooks_.anotherCopyRunning && hooks_.anotherCopyRunning()) return MoveStep::TryAgain;
    try {
        moveOnce();
    } catch (...) {
        const CaughtError failure = describeCurrentException();
        if (!isLock(failure)) {
            logError(errorLine(kLabel, failure.number, failure.description) + "\t");
            return MoveStep::Moved;
        }
        // A file the ending main program still holds: try again until it lets go.
        lockMet_ = failure;
        if (++attempts_ >= kAttemptLimit) {
            giveUp(hooks_);
            return MoveStep::GaveUp;
        }
        return MoveStep::TryAgain;
    }
    // The lock cleared; the line records the error that was met.
    if (lockMet_) logError(errorLine(kLabel, lockMet_->number, lockMet_->description) + "\t");
    return MoveStep::Moved;
}

namespace {

// The current user's processes; none when the list cannot be read (logged).
std::vector<std::string> runningProcesses() {
    std::vector<std::string> processes;
    guarded("IsStarted", [&] { processes = platform::runningProcessNames(); });
    return processes;
}

}  // namespace

bool anotherCopyRunning(const std::function<bool(const std::string& title)>& EndTask) {
    const std::string mainProgram = mainProgramEntry();
    const std::vector<std::string> processes = runningProcesses();
    int count = 0;
    bool answer = false;
    for (const std::string& name : processes) {
        if (name == mainProgram) {
            ++count;
            if (!EndTask || !EndTask("Varnel_zize")) count = 0;
        }
        if (count == 2) answer = true;
    }
    return answer;
}

bool mainProgramCopyRunning() {
    const std::vector<std::string> processes = runningProcesses();
    return std::find(processes.begin(), processes.end(), mainProgramEntry()) != processes.end();
}

}  // namespace varnel::updater
