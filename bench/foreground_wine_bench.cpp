// From a change of the program in front to every Windows place written, under
// Wine: shows a window of its own (its program has a group) and brings it and
// notepad's (a program without one) to the front in turn, timing each change
// until the Places Bar's first place and the navigation pane's last slot name
// the group to show. Run by bench/foreground_wine_bench.sh, which sets up the
// session, the program, its groups and notepad.
//   foreground_wine_bench ROUNDS BOUND_FIRST BOUND_LAST_CAPTION FREE_FIRST FREE_LAST_CAPTION
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "win/text_box_window.h"

namespace {

using Clock = std::chrono::steady_clock;

const wchar_t* kPlacesBar = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";
const wchar_t* kLastSlot =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{377C742E-5507-469C-A9EA-0FB0926479B5}";

std::wstring wide(const char* text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
    out.resize(wcslen(out.c_str()));
    return out;
}

std::wstring textValue(const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
    return buffer;
}

struct Expected {
    std::wstring first, lastCaption;
    bool reached() const {
        return textValue(kPlacesBar, L"place0") == first && textValue(kLastSlot, nullptr) == lastCaption;
    }
};

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Brings `window` to the front and waits until the places show `expected`:
// the milliseconds it took, or a negative number after ten seconds.
double switchTo(HWND window, const Expected& expected, HKEY watched, HANDLE changed) {
    RegNotifyChangeKeyValue(watched, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
    const auto start = Clock::now();
    SetForegroundWindow(window);
    const auto end = start + std::chrono::seconds(10);
    while (!expected.reached()) {
        if (Clock::now() > end) return -1;
        MsgWaitForMultipleObjects(1, &changed, FALSE, 50, QS_ALLINPUT);
        pumpMessages();
        RegNotifyChangeKeyValue(watched, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: foreground_wine_bench ROUNDS BOUND_FIRST BOUND_LAST_CAPTION FREE_FIRST FREE_LAST_CAPTION\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    const Expected bound{wide(argv[2]), wide(argv[3])}, free{wide(argv[4]), wide(argv[5])};
    HWND own = showTextBoxWindow(L"ForegroundBench", L"Foreground bench", 500, 100);
    HWND notepad = FindWindowW(L"Notepad", nullptr);
    if (!notepad) {
        std::fprintf(stderr, "foreground_wine_bench: no notepad window\n");
        return 1;
    }
    HKEY watched = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_NOTIFY, &watched);
    HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // One switch each way first, unmeasured: the program has read its groups.
    if (switchTo(notepad, free, watched, changed) < 0 || switchTo(own, bound, watched, changed) < 0) {
        std::fprintf(stderr, "foreground_wine_bench: the places never followed the program in front\n");
        return 1;
    }
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        for (auto [window, expected] : {std::pair{notepad, &free}, std::pair{own, &bound}}) {
            const double ms = switchTo(window, *expected, watched, changed);
            if (ms < 0) {
                std::fprintf(stderr, "foreground_wine_bench: switch %zu did not arrive\n", times.size() + 1);
                return 1;
            }
            times.push_back(ms);
        }
    }
    std::printf("foreground_to_places_bar_and_navigation_pane_wine: %.1f ms (median of %zu switches)\n", median(times),
                times.size());
    return 0;
}
