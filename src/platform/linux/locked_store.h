// The hive's file, shared between processes: locked, replaced whole, re-read after others' changes.
#pragma once

// The file is the truth: every look first re-reads it when another process
// has replaced it since the last look, and every change is written to a swap
// file that then trades places with the store, while an advisory lock on a
// lock file beside it is held (readers take it shared). The lock file also
// counts the changes, so that a reader notices another process's change even
// where the replaced file looks the same (same inode, size and time stamp).
// A new file is flushed to disk before it replaces the store, and a batch of
// changes (beginChanges, endChanges) is written once. A store that is there
// but cannot be read is never written over: the process keeps its settings
// in memory.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/linux/reg_text.h"
#include "platform/problem_report.h"

namespace varnel::platform {

class LockedStore {
public:
    // report receives the store's problems (a file it cannot read or write).
    LockedStore(std::filesystem::path file, ProblemReport report);
    ~LockedStore();
    LockedStore(const LockedStore&) = delete;
    LockedStore& operator=(const LockedStore&) = delete;

    const std::filesystem::path& file() const { return file_; }

    // The key tree as last read; call refresh() before looking at it.
    RegKeyNode& root() { return root_; }
    // Reads the file again when another process has changed it.
    void refresh();
    // Runs change on the fresh tree under the exclusive lock and writes the
    // file when it reports a change; a change the file did not take is
    // forgotten. Inside a batch the writing waits for its end.
    long mutate(const std::function<long(bool& changed)>& change);
    void beginChanges();
    void endChanges();

private:
    struct FileIdentity {
        bool exists = false;
        std::uintmax_t device = 0, inode = 0, size = 0;
        std::int64_t mtimeNs = 0;
        std::uint64_t changes = 0;  // the counter in the lock file
        bool operator==(const FileIdentity&) const = default;
    };

    FileIdentity currentIdentity() const;
    std::uint64_t changeCount() const;
    void load();
    std::string readStore(const FileIdentity& id, std::string& text) const;
    long save();
    long writeChanges();
    bool openLockFile();
    void lockExclusive();
    void unlock();
    void report(const Problem& problem) const;

    std::filesystem::path file_;
    std::filesystem::path lockFile_;
    ProblemReport report_;
    RegKeyNode root_;
    FileIdentity loaded_;
    bool everLoaded_ = false;
    int lockFd_ = -1;
    bool lockedExclusive_ = false;
    bool unreadable_ = false;  // there, but not readable: never written over
    int batchDepth_ = 0;
    bool batchChanged_ = false;
};

}  // namespace varnel::platform
