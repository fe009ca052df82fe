#pragma once
// What the engine asks of the operating system. Each platform folder
// (linux/, win/) implements these; the engine never tests the platform itself.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/problem_report.h"
#include "platform/registry_backend.h"

namespace varnel::platform {

// The full path of the running program file.
std::filesystem::path executablePath();

// Where the program keeps what it writes when its own folder is read-only
// (a system-wide install): $XDG_DATA_HOME/Varnel on Linux.
std::filesystem::path userDataFolder();

// The files an organisation's policy may be in, the first that exists
// counting: Varnel/policy.conf along $XDG_CONFIG_DIRS (default /etc/xdg) on
// Linux; none on Windows, where policy lives in the registry.
std::vector<std::filesystem::path> policyFiles();

// The current user's registry.
std::unique_ptr<RegistryBackend> createRegistryBackend();

// The separator of folder paths in places ('\\' on Windows, '/' elsewhere).
char placeSeparator();

// Whether places have "/" rewritten to the platform separator before they are
// written into the Places Bar (Windows only: there "/" is a foreign separator).
bool rewritesForwardSlashes();

// Whether the program runs under Wine rather than on Windows itself (Wine's
// ntdll exports wine_get_version); false on Linux.
bool runningUnderWine();

// Tells the shell that entries of its namespace changed, so that open
// Explorer windows and Open/Save dialogs read them again; nothing on Linux.
void notifyShellNamespaceChanged();

// The executable file names of the current user's running processes, the
// running program included ("Varnel_Zize" on Linux, "Varnel_Zize.exe" on Windows).
std::vector<std::string> runningProcessNames();

// Whether program file names compare without regard to case (Windows).
bool programNamesIgnoreCase();

// What follows a program's base name in its file name ("" or ".exe").
const char* executableSuffix();

// The platform a release's files are built for, as a signed release names
// it: "Linux" or "Windows".
const char* releasePlatform();

// How a close request to another program's window went.
enum class CloseRequest {
    Sent,        // the window was found and asked to close
    NoWindow,    // no top-level window carries the title
    WindowGone,  // found, but gone before the request could be posted
};

// Asks the top-level window titled `title` (compared without regard to case)
// to close, the way a user closing it would; does not wait for it. A close
// channel that cannot be used goes to `report` (see closeChannelName).
CloseRequest requestCloseWindow(const std::string& title, const ProblemReport& report = {});

// Where the program whose window carries `title` listens for close requests
// besides its window: a local socket in the user's runtime folder on Linux
// (the title in lower case), a pipe of that name on Windows. Empty, with a
// problem sent to `report`, when there is no place that only this user can reach.
std::string closeChannelName(const std::string& title, const ProblemReport& report);

}  // namespace varnel::platform
