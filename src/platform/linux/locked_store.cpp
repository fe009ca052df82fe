// The hive's file, shared between processes: locked, replaced whole, re-read after others' changes.
#include "platform/linux/locked_store.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace varnel::platform {

LockedStore::~LockedStore() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

LockedStore::LockedStore(std::filesystem::path file, ProblemReport report)
    : file_(std::move(file)), report_(std::move(report)) {
    lockFile_ = file_;
    lockFile_ += ".lock";
    root_.name = kHiveName;
}

LockedStore::FileIdentity LockedStore::currentIdentity() const {
    FileIdentity id;
    struct stat st {};
    if (::stat(file_.c_str(), &st) != 0) return id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<std::uintmax_t>(st.st_size);
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.changes = changeCount();
    return id;
}

std::uint64_t LockedStore::changeCount() const {
    std::uint64_t count = 0;
    if (lockFd_ < 0 || ::pread(lockFd_, &count, sizeof count, 0) != static_cast<ssize_t>(sizeof count)) return 0;
    return count;
}

void LockedStore::refresh() {
    // A batch holds the lock since it began: nobody else has written.
    if (batchDepth_ > 0 && everLoaded_) return;
    // Writers bump the counter and replace the file under the exclusive
    // lock; looking at both under the shared lock sees both or neither.
    const bool shared = !lockedExclusive_ && openLockFile();
    if (shared) ::flock(lockFd_, LOCK_SH);
    // An unreadable store is tried again each time: its owner may mend it.
    if (!everLoaded_ || unreadable_ || currentIdentity() != loaded_) load();
    if (shared) ::flock(lockFd_, LOCK_UN);
}

std::string LockedStore::readStore(const FileIdentity& id, std::string& text) const {
    if (!id.exists) {
        struct stat st {};
        // Missing is fine; a folder that may not be looked into is not.
        if (::stat(file_.c_str(), &st) != 0 && errno != ENOENT && errno != ENOTDIR) return std::strerror(errno);
        return {};
    }
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct stat st {};
    std::string failure;
    if (::fstat(fd, &st) != 0) {
        failure = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        failure = "it is not a file";
    } else {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                text.append(buffer, static_cast<size_t>(n));
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                failure = std::strerror(errno);
                break;
            }
        }
    }
    ::close(fd);
    return failure;
}

void LockedStore::load() {
    // Called under the lock (see refresh and mutate): a writer reuses the
    // file a reader may still have open (see save).
    FileIdentity id = currentIdentity();
    std::string text;
    const std::string failure = readStore(id, text);
    everLoaded_ = true;
    loaded_ = id;
    if (!failure.empty()) {
        // Perhaps another user's file (a run under sudo): replacing it would
        // lose that user's settings. Whatever was known stays in memory.
        if (!unreadable_)
            report({"RegistryStore", 75, "Path/File access error",
                           file_.string() + " cannot be read (" + failure +
                               "); the settings live in memory and the file is left as it is"});
        unreadable_ = true;
        return;
    }
    unreadable_ = false;
    root_.values.clear();
    root_.subKeys.clear();
    if (!id.exists) return;
    if (parseRegFile(text, root_)) return;

    // Keep the unreadable file as it is; the next change writes what could be read.
    std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    std::filesystem::path copy = file_;
    copy += std::string(".unreadable-") + stamp;
    std::error_code ec;
    std::filesystem::copy_file(file_, copy, std::filesystem::copy_options::skip_existing, ec);
    report({"RegistryStore", 0, "",
                   file_.string() + " could not be read completely; a copy was kept as " + copy.string()});
}

long LockedStore::save() {
    // The new text goes into the swap file beside the store (only ever
    // written under the lock), which then trades places with the store in
    // one step: readers see the old file or the new one, never a part. The
    // swap file keeps the previous version, and reusing it spares the file
    // system a new file per change.
    std::filesystem::path swap = file_;
    swap += ".swap";
    const std::string text = formatRegFile(root_);
    int fd = ::open(swap.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return regerr::AccessDenied;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n <= 0) {
            ::close(fd);
            return regerr::WriteFault;
        }
        done += static_cast<size_t>(n);
    }
    // On disk before it replaces the store: a power cut must find the old
    // file or the new one, never an empty one.
    const bool sized = ::ftruncate(fd, static_cast<off_t>(text.size())) == 0 && ::fdatasync(fd) == 0;
    ::close(fd);
    if (!sized) return regerr::WriteFault;
    // Counted before the swap: a reader that sees the new count and the old
    // file merely reads once more.
    if (lockFd_ >= 0) {
        const std::uint64_t count = changeCount() + 1;
        [[maybe_unused]] ssize_t n = ::pwrite(lockFd_, &count, sizeof count, 0);
    }
    if (::renameat2(AT_FDCWD, swap.c_str(), AT_FDCWD, file_.c_str(), RENAME_EXCHANGE) != 0 &&
        ::rename(swap.c_str(), file_.c_str()) != 0)  // no store yet, or a file system that cannot exchange
        return regerr::AccessDenied;
    // The swap itself: the folder's entries.
    const int folder = ::open(file_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    loaded_ = currentIdentity();
    return regerr::Success;
}

bool LockedStore::openLockFile() {
    if (lockFd_ < 0) {
        std::error_code ec;
        std::filesystem::create_directories(file_.parent_path(), ec);
        lockFd_ = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    return lockFd_ >= 0;
}

void LockedStore::lockExclusive() {
    if (openLockFile()) ::flock(lockFd_, LOCK_EX);
    lockedExclusive_ = true;
}

void LockedStore::unlock() {
    lockedExclusive_ = false;
    if (lockFd_ >= 0) ::flock(lockFd_, LOCK_UN);
}

long LockedStore::writeChanges() {
    if (unreadable_) return regerr::Success;  // left alone: the changes live in memory
    const long saved = save();
    if (saved != regerr::Success) {
        report({"RegistryStore", 75, "Path/File access error", file_.string() + " could not be written"});
        load();  // the change did not reach the file: forget it
    }
    return saved;
}

long LockedStore::mutate(const std::function<long(bool& changed)>& change) {
    if (batchDepth_ > 0) {
        bool changed = false;
        const long rc = change(changed);
        batchChanged_ = batchChanged_ || changed;
        return rc;
    }
    lockExclusive();
    refresh();
    bool changed = false;
    long rc = change(changed);
    if (changed) {
        const long saved = writeChanges();
        if (saved != regerr::Success) rc = saved;
    }
    unlock();
    return rc;
}

void LockedStore::beginChanges() {
    if (batchDepth_ > 0) {
        ++batchDepth_;
        return;
    }
    lockExclusive();
    refresh();
    batchDepth_ = 1;
    batchChanged_ = false;
}

void LockedStore::endChanges() {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return;
    if (batchChanged_) writeChanges();
    batchChanged_ = false;
    unlock();
}

void LockedStore::report(const Problem& problem) const {
    if (report_) report_(problem);
}

}  // namespace varnel::platform
