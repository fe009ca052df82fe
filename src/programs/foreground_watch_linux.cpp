#include "programs/foreground_watch.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

namespace varnel {

namespace {

bool waylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The file name of a process's executable; "" when it cannot be read.
std::string executableOf(std::uint32_t pid) {
    std::error_code error;
    std::string name = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename().string();
    const std::string deleted = " (deleted)";
    if (name.size() > deleted.size() && name.compare(name.size() - deleted.size(), deleted.size(), deleted) == 0)
        name.resize(name.size() - deleted.size());
    return name;
}

}  // namespace

struct ForegroundWatch::Watch {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t activeWindow = 0, clientList = 0, wmPid = 0, windowType = 0, typeDesktop = 0, typeDock = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    std::optional<ProgramInFront> last;
    // Reads the events that came, and tells of a change of the window in front.
    std::function<void()> readEvents;

    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    }

    // A property's values of `type`, 32 bits each (windows, cardinals, atoms).
    std::vector<std::uint32_t> values(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        std::vector<std::uint32_t> out;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, type, 0, 4096), nullptr);
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            out.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return out;
    }

    std::string text(xcb_window_t window, xcb_atom_t property) {
        std::string out;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_STRING, 0, 1024), nullptr);
        if (reply && reply->format == 8)
            out.assign(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
        free(reply);
        return out;
    }

    std::uint32_t pidOf(xcb_window_t window) {
        const std::vector<std::uint32_t> pid = values(window, wmPid, XCB_ATOM_CARDINAL);
        return pid.empty() ? 0 : pid[0];
    }

    ProgramInFront programOf(xcb_window_t window) {
        ProgramInFront program;
        // A dialog counts as the window it is transient for.
        for (int depth = 0; depth < 8; ++depth) {
            const std::vector<std::uint32_t> owner = values(window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
            if (owner.empty() || owner[0] == 0 || owner[0] == root || owner[0] == window) break;
            window = owner[0];
        }
        const std::vector<std::uint32_t> types = values(window, windowType, XCB_ATOM_ATOM);
        const std::uint32_t pid = pidOf(window);
        const bool desktopOrPanel = std::any_of(types.begin(), types.end(),
                                                [&](std::uint32_t t) { return t == typeDesktop || t == typeDock; });
        if (desktopOrPanel || pid == static_cast<std::uint32_t>(getpid())) {
            program.leaveAlone = true;
            return program;
        }
        const std::string executable = pid ? executableOf(pid) : std::string();
        // A file dialog that the desktop's portal shows for another program.
        if (executable.rfind("xdg-desktop-portal", 0) == 0) {
            program.leaveAlone = true;
            return program;
        }
        if (!executable.empty()) program.names.push_back(executable);
        // WM_CLASS: the instance, a NUL, the class.
        const std::string wmClass = text(window, XCB_ATOM_WM_CLASS);
        const size_t nul = wmClass.find('\0');
        for (const std::string& name : {wmClass.substr(0, nul), nul == std::string::npos ? std::string()
                                                                                          : wmClass.substr(nul + 1)}) {
            std::string clean = name.substr(0, name.find('\0'));
            if (!clean.empty() && std::find(program.names.begin(), program.names.end(), clean) == program.names.end())
                program.names.push_back(clean);
        }
        program.leaveAlone = program.names.empty();
        return program;
    }

    ProgramInFront inFront() {
        const std::vector<std::uint32_t> active = values(root, activeWindow, XCB_ATOM_WINDOW);
        if (active.empty() || active[0] == 0) return {{}, true};
        return programOf(active[0]);
    }
};

ForegroundWatch::ForegroundWatch() : watch_(std::make_unique<Watch>()) {
    if (waylandSession()) return;
    Watch& w = *watch_;
    w.connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(w.connection)) return;
    w.root = xcb_setup_roots_iterator(xcb_get_setup(w.connection)).data->root;
    w.activeWindow = w.atom("_NET_ACTIVE_WINDOW");
    w.clientList = w.atom("_NET_CLIENT_LIST");
    w.wmPid = w.atom("_NET_WM_PID");
    w.windowType = w.atom("_NET_WM_WINDOW_TYPE");
    w.typeDesktop = w.atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    w.typeDock = w.atom("_NET_WM_WINDOW_TYPE_DOCK");
    // Event masks are per client: this connection's own, Qt's stays as it is.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(w.connection, w.root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(w.connection);
    available_ = true;
    auto tell = [this] {
        const ProgramInFront now = watch_->inFront();
        // Only a change counts: the same program again writes nothing.
        if (watch_->last == now) return;
        watch_->last = now;
        emit programInFront(now);
    };
    // XCB queues the events that arrive while it waits for a reply (the
    // properties read in tell, the window list): the socket then has nothing
    // left for the notifier, so whatever reads replies reads the queue after.
    w.readEvents = [this, tell] {
        for (;;) {
            // A quick run of changes: only the last window counts.
            bool changed = false;
            while (xcb_generic_event_t* event = xcb_poll_for_event(watch_->connection)) {
                if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                    reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == watch_->activeWindow)
                    changed = true;
                free(event);
            }
            if (!changed) return;
            tell();
        }
    };
    w.notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(w.connection), QSocketNotifier::Read);
    connect(w.notifier.get(), &QSocketNotifier::activated, this, [this] { watch_->readEvents(); });
    // What is in front when the watch starts.
    QTimer::singleShot(0, this, [this, tell] {
        tell();
        watch_->readEvents();
    });
}

ForegroundWatch::~ForegroundWatch() {
    watch_->notifier.reset();
    if (watch_->connection) xcb_disconnect(watch_->connection);
}

std::vector<std::string> ForegroundWatch::programsWithWindows() const {
    std::vector<std::string> programs;
    if (!available_) return programs;
    Watch& w = *watch_;
    for (std::uint32_t window : w.values(w.root, w.clientList, XCB_ATOM_WINDOW)) {
        const ProgramInFront program = w.programOf(window);
        if (!program.leaveAlone && std::find(programs.begin(), programs.end(), program.names[0]) == programs.end())
            programs.push_back(program.names[0]);
    }
    std::sort(programs.begin(), programs.end());
    // A change that came while the list was read waits in XCB's queue.
    QTimer::singleShot(0, w.notifier.get(), w.readEvents);
    return programs;
}

}  // namespace varnel
