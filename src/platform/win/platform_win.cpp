#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "platform/platform.h"
#include "platform/win/wide_text.h"
#include "platform/win/win_registry.h"

namespace varnel::platform {

std::filesystem::path executablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::filesystem::current_path() / "Varnel_Zize.exe";
        // A full buffer means the path was cut short.
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::unique_ptr<RegistryBackend> createRegistryBackend() { return std::make_unique<WinRegistry>(); }

std::vector<std::filesystem::path> policyFiles() { return {}; }

char placeSeparator() { return '\\'; }

bool rewritesForwardSlashes() { return true; }

std::vector<std::string> runningProcessNames() {
    std::vector<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        names.push_back(narrow(entry.szExeFile));
    CloseHandle(snapshot);
    return names;
}

bool programNamesIgnoreCase() { return true; }

const char* executableSuffix() { return ".exe"; }

const char* releasePlatform() { return "Windows"; }

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Associations changed is what makes Explorer and the dialogs read the
// namespace entries again; the flush waits until the shell has taken it.
void notifyShellNamespaceChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSH, nullptr, nullptr); }

CloseRequest requestCloseWindow(const std::string& title, const ProblemReport&) {
    HWND window = FindWindowW(nullptr, widen(title).c_str());
    if (!window) return CloseRequest::NoWindow;
    if (!IsWindow(window)) return CloseRequest::WindowGone;
    return PostMessageW(window, WM_CLOSE, 0, 0) ? CloseRequest::Sent : CloseRequest::WindowGone;
}

std::string closeChannelName(const std::string& title, const ProblemReport&) {
    std::string name = title;
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

}  // namespace varnel::platform
