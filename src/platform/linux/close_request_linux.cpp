// Close requests on Linux: a program has no window to find by title, so the
// main program listens on a local socket named after its title in lower
// case, in the user's own runtime folder.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/text.h"
#include "platform/platform.h"

namespace varnel::platform {

namespace {

// Without a runtime folder the channel lives in a folder of the shared
// temporary folder, where anyone could have made it first: it is used only
// when it is this user's own, is a real folder and is closed to others.
// The reason for refusing it, or "" when it can be used.
std::string unsafeFolderReason(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return "it is not a folder";
    if (st.st_uid != ::getuid()) return "it belongs to another user";
    if (st.st_mode & (S_IRWXG | S_IRWXO)) return "it is open to other users";
    return {};
}

}  // namespace

std::string closeChannelName(const std::string& title, const ProblemReport& report) {
    std::string folder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, ec)) {
        folder = runtime;
    } else {
        folder = (std::filesystem::temp_directory_path(ec) / ("varnel-" + std::to_string(::getuid()))).string();
        const std::string reason = unsafeFolderReason(folder);
        if (!reason.empty()) {
            if (report)
                report({"CloseChannel", 70, "Permission denied",
                        folder + " is not used (" + reason + "): close requests cannot be sent or received"});
            return {};
        }
    }
    return folder + "/" + toLowerAscii(title);
}

CloseRequest requestCloseWindow(const std::string& title, const ProblemReport& report) {
    const std::string path = closeChannelName(title, report);
    if (path.empty()) return CloseRequest::NoWindow;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return CloseRequest::NoWindow;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return CloseRequest::NoWindow;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        // A socket file without a listener belongs to a program that is gone.
        return error == ECONNREFUSED ? CloseRequest::WindowGone : CloseRequest::NoWindow;
    }
    static const char request[] = "close\n";
    const bool sent = ::send(fd, request, sizeof request - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof request - 1);
    ::close(fd);
    return sent ? CloseRequest::Sent : CloseRequest::WindowGone;
}

}  // namespace varnel::platform
