#include <windows.h>
#include <tlhelp32.h>

#include "platform/platform.h"
#include "platform/win/win_registry.h"

namespace varnel::platform {

std::filesystem::path executablePath() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
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

char placeSeparator() { return '\\'; }

bool rewritesForwardSlashes() { return true; }

namespace {

// Process names in the ANSI code page, like every other text of the system.
std::string ansi(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();
    return out;
}

}  // namespace

std::vector<std::string> runningProcessNames() {
    std::vector<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        names.push_back(ansi(entry.szExeFile));
    CloseHandle(snapshot);
    return names;
}

const char* executableSuffix() { return ".exe"; }

CloseRequest requestCloseWindow(const std::string& title) {
    HWND window = FindWindowA(nullptr, title.c_str());
    if (!window) return CloseRequest::NoWindow;
    if (!IsWindow(window)) return CloseRequest::WindowGone;
    return PostMessageA(window, WM_CLOSE, 0, 0) ? CloseRequest::Sent : CloseRequest::WindowGone;
}

std::string closeChannelName(const std::string& title) {
    std::string name = title;
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

}  // namespace varnel::platform
