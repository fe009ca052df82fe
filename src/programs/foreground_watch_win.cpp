#include "programs/foreground_watch.h"

#include <windows.h>

#include <QTimer>
#include <algorithm>

#include "platform/win/wide_text.h"

namespace varnel {

namespace {

// The window hooks call a plain function: it tells the one watch there is.
ForegroundWatch::Watch* current = nullptr;

// The file name of a process's executable; "" when the process does not let
// us ask (an elevated program), which counts as a program without a group.
std::string executableOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    wchar_t path[32768];
    DWORD size = static_cast<DWORD>(std::size(path));
    std::string name;
    if (QueryFullProcessImageNameW(process, 0, path, &size)) {
        std::wstring_view full(path, size);
        const size_t slash = full.find_last_of(L"\\/");
        name = platform::narrow(std::wstring(slash == std::wstring_view::npos ? full : full.substr(slash + 1)));
    }
    CloseHandle(process);
    return name;
}

// Whether the window is the desktop or the taskbar.
bool desktopOrPanel(HWND window) {
    if (window == GetShellWindow() || window == GetDesktopWindow()) return true;
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    const std::wstring_view cls(name);
    return cls == L"Shell_TrayWnd" || cls == L"Shell_SecondaryTrayWnd" || cls == L"Progman" || cls == L"WorkerW";
}

DWORD processOf(HWND window) {
    DWORD pid = 0;
    if (window) GetWindowThreadProcessId(window, &pid);
    return pid;
}

}  // namespace

struct ForegroundWatch::Watch {
    ForegroundWatch* owner = nullptr;
    std::vector<HWINEVENTHOOK> hooks;
    DWORD lastPid = 0;
    // Wine tells of the focus moving to another program before it moves the
    // foreground there: while the window an event named belongs to another
    // process than the one in front, look again, 100 ms apart, for 2 s.
    QTimer settle;
    DWORD awaitedPid = 0;
    int looksLeft = 0;

    void onEvent(HWND window) {
        check(false);
        awaitedPid = processOf(window);
        looksLeft = 20;
        lookAgainIfUnsettled();
    }

    void lookAgainIfUnsettled() {
        if (awaitedPid && awaitedPid != processOf(GetForegroundWindow()) && looksLeft-- > 0)
            settle.start();
        else
            settle.stop();
    }

    // Either event may come alone (Wine sends focus events only): act when
    // the process in front is another.
    void check(bool evenIfSame) {
        HWND window = GetForegroundWindow();
        if (!window) return;
        const DWORD pid = processOf(window);
        if (pid == lastPid && !evenIfSame) return;
        lastPid = pid;
        ProgramInFront program;
        if (pid == GetCurrentProcessId() || desktopOrPanel(window)) {
            program.leaveAlone = true;
        } else {
            const std::string name = executableOf(pid);
            if (!name.empty()) program.names.push_back(name);
        }
        emit owner->programInFront(program);
    }
};

namespace {

void CALLBACK onWindowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    if (current) current->onEvent(window);
}

}  // namespace

ForegroundWatch::ForegroundWatch() : watch_(std::make_unique<Watch>()) {
    watch_->owner = this;
    current = watch_.get();
    watch_->settle.setSingleShot(true);
    watch_->settle.setInterval(100);
    connect(&watch_->settle, &QTimer::timeout, this, [this] {
        watch_->check(false);
        watch_->lookAgainIfUnsettled();
    });
    for (DWORD event : {EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_FOCUS}) {
        if (HWINEVENTHOOK hook = SetWinEventHook(event, event, nullptr, onWindowEvent, 0, 0, WINEVENT_OUTOFCONTEXT))
            watch_->hooks.push_back(hook);
    }
    available_ = !watch_->hooks.empty();
    if (available_) QTimer::singleShot(0, this, [this] { watch_->check(true); });
}

ForegroundWatch::~ForegroundWatch() {
    for (HWINEVENTHOOK hook : watch_->hooks) UnhookWinEvent(hook);
    if (current == watch_.get()) current = nullptr;
}

std::vector<std::string> ForegroundWatch::programsWithWindows() const {
    std::vector<std::string> programs;
    EnumWindows(
        [](HWND window, LPARAM into) -> BOOL {
            if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) || desktopOrPanel(window)) return TRUE;
            const DWORD pid = processOf(window);
            if (pid == GetCurrentProcessId()) return TRUE;
            auto& list = *reinterpret_cast<std::vector<std::string>*>(into);
            const std::string name = executableOf(pid);
            if (!name.empty() && std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&programs));
    std::sort(programs.begin(), programs.end());
    return programs;
}

}  // namespace varnel
