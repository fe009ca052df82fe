// From a change of the window in front to every Linux list written: asks the
// window manager to activate two windows in turn (one of a program with a
// group of its own, one without), notes when _NET_ACTIVE_WINDOW changes and
// when each list file has been written after it. Run by
// bench/foreground_bench.sh, which sets up the display, the window manager,
// the program and the two windows.
//   foreground_bench BOUND_WINDOW FREE_WINDOW FILE...
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bench_util.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Display {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");

    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }
    xcb_window_t activeWindow() {
        auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, root, active, XCB_ATOM_WINDOW, 0, 1), nullptr);
        xcb_window_t w = 0;
        if (r && xcb_get_property_value_length(r) == 4) w = *static_cast<xcb_window_t*>(xcb_get_property_value(r));
        free(r);
        return w;
    }
    // The way a pager asks the window manager to bring a window to the front.
    void requestActive(xcb_window_t window) {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = window;
        e.type = active;
        e.data.data32[0] = 2;
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&e));
        xcb_flush(c);
    }
    // Waits until the window is the active one; false after five seconds.
    bool waitActive(xcb_window_t window) {
        const auto end = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < end) {
            if (activeWindow() == window) return true;
            pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&p, 1, 100);
            while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) free(ev);
        }
        return false;
    }
};

// The list files written since the last call, by name.
struct Writes {
    int fd = inotify_init1(IN_NONBLOCK);
    std::map<int, std::filesystem::path> folders;

    void watch(const std::filesystem::path& file) {
        const int wd = inotify_add_watch(fd, file.parent_path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
        folders[wd] = file.parent_path();
    }
    // Reads what has come; waits up to `ms` for the first event.
    std::set<std::string> take(int ms) {
        std::set<std::string> written;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) return written;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                if (e->len) written.insert((folders[e->wd] / e->name).string());
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        return written;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const xcb_window_t windows[2] = {static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0)),
                                     static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0))};
    Display display;
    if (xcb_connection_has_error(display.c)) return 2;
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(display.c, display.root, XCB_CW_EVENT_MASK, &mask);
    Writes writes;
    std::set<std::string> files;
    for (int i = 3; i < argc; ++i) {
        files.insert(argv[i]);
        writes.watch(argv[i]);
    }
    // One switch each way first: which of the files the program writes.
    std::set<std::string> expected;
    for (xcb_window_t w : {windows[0], windows[1]}) {
        display.requestActive(w);
        display.waitActive(w);
        for (int i = 0; i < 20; ++i)
            for (const std::string& f : writes.take(100))
                if (files.count(f)) expected.insert(f);
    }
    std::vector<double> times;
    for (int i = 0; i < 100; ++i) {
        const xcb_window_t w = windows[i % 2];
        writes.take(0);
        display.requestActive(w);
        if (!display.waitActive(w)) {
            std::fprintf(stderr, "foreground_bench: window %u did not come to the front\n", w);
            return 1;
        }
        const auto changed = Clock::now();
        std::set<std::string> left = expected;
        while (!left.empty()) {
            const std::set<std::string> written = writes.take(5000);
            if (written.empty()) {
                std::fprintf(stderr, "foreground_bench: %s was not written\n", left.begin()->c_str());
                return 1;
            }
            for (const std::string& f : written) left.erase(f);
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - changed).count());
    }
    std::sort(times.begin(), times.end());
    varnel::bench::report("foreground_change_to_" + std::to_string(expected.size()) + "_linux_lists_written_median_of_100",
                          times[times.size() / 2], "ms");
    return 0;
}
