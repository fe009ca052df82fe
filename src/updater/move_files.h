#pragma once
// The updater's part of an update: once the main program is gone, the new
// main program file and database waiting in Temp take the places of the old
// ones. A file still held by the ending main program is retried.
//
// Nothing here waits: each step tries once and says whether to come back,
// and the updater's window calls it again from a timer.

#include <functional>
#include <optional>
#include <string>

#include "core/runtime_error.h"

namespace varnel::updater {

// What the updater's window and the platform do for these steps.
struct Hooks {
    // Asks every running main program to close (by its window title);
    // true when one still runs, and the move waits for a later step.
    std::function<bool()> anotherCopyRunning;
    std::function<void(const std::string&)> messageBox;  // a standard box with OK
    std::function<void()> restoreWindow;                 // the window back to normal size
};

enum class MoveStep { TryAgain, Moved, GaveUp };

// Moves Temp's main program file and database into place. Each replaces the
// old file in one rename, so there is never a moment without it. A database
// that fails its integrity check is deleted instead (logged, its row back
// to '1'), and the old database's journal never stays beside the new one.
// A file the ending main program still holds is met again at the next step;
// one that stays locked through 199 repetitions gives up: the message box,
// both versions back to '1' so the next check offers them again, the
// downloaded copies deleted; the caller then ends without restarting the
// main program.
class FileMove {
public:
    explicit FileMove(Hooks hooks);

    // While the main program runs, TryAgain without touching a file.
    // Otherwise one attempt: Moved when it is done (an error other than a
    // lock, or the lock an earlier attempt met, is logged then), TryAgain
    // after a lock, GaveUp once the locks used up the repetitions.
    MoveStep step();
    // Repetitions after a lock so far.
    int attempts() const { return attempts_; }

private:
    Hooks hooks_;
    int attempts_ = 0;
    std::optional<CaughtError> lockMet_;
};

// The process list's answer for the main program: each running copy is asked
// to close through EndTask (window title "Varnel_zize"); true only when two
// copies were found with no failed close request between them.
bool anotherCopyRunning(const std::function<bool(const std::string& title)>& EndTask);

// True while any process of the current user runs the main program's file,
// one that is still ending after a close request included.
bool mainProgramCopyRunning();

}  // namespace varnel::updater
