#include "policy/policy_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <map>
#include <vector>

#include "platform/platform.h"

namespace varnel {

namespace {

constexpr const char* kFolderName = "Varnel";

// What counts in a folder along $XDG_CONFIG_DIRS: its Varnel folder made,
// renamed or removed.
constexpr uint32_t kParentEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ONLYDIR;
// And in the Varnel folder: a finished write, a rename into place, a removal.
constexpr uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

struct PolicyWatch::Watches {
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    // Watch descriptor -> true for a Varnel folder, false for its parent.
    std::map<int, bool> watched;

    // Watches every folder there is now; a folder that appears later is
    // watched from its parent's event on.
    void arm() {
        for (const std::filesystem::path& file : platform::policyFiles()) {
            const std::filesystem::path folder = file.parent_path();
            const int parent = inotify_add_watch(fd, folder.parent_path().c_str(), kParentEvents);
            if (parent >= 0) watched[parent] = false;
            const int own = inotify_add_watch(fd, folder.c_str(), kFolderEvents);
            if (own >= 0) watched[own] = true;
        }
    }

    // True when an event of those read concerns the policy.
    bool readEvents() {
        alignas(inotify_event) char buffer[16 * 1024];
        bool relevant = false, rearm = false;
        for (;;) {
            const ssize_t length = read(fd, buffer, sizeof buffer);
            if (length <= 0) break;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) {
                    relevant = rearm = true;
                    continue;
                }
                if (event->mask & IN_IGNORED) {
                    watched.erase(event->wd);
                    continue;
                }
                const auto found = watched.find(event->wd);
                if (found == watched.end()) continue;
                const std::string name = event->len ? event->name : "";
                if (!found->second) {
                    // A Varnel folder came or went: watch it, and read again.
                    if (name == kFolderName) relevant = rearm = true;
                } else {
                    relevant = true;
                    if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) rearm = true;
                }
            }
        }
        if (rearm) arm();
        return relevant;
    }
};

PolicyWatch::PolicyWatch() : watches_(std::make_unique<Watches>()) {
    watches_->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watches_->fd < 0) return;
    watches_->arm();
    watches_->notifier = std::make_unique<QSocketNotifier>(watches_->fd, QSocketNotifier::Read);
    connect(watches_->notifier.get(), &QSocketNotifier::activated, this, [this] {
        if (watches_->readEvents()) emit changed();
    });
}

PolicyWatch::~PolicyWatch() {
    watches_->notifier.reset();
    if (watches_->fd >= 0) close(watches_->fd);
}

}  // namespace varnel
