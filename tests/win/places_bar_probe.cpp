// Opens the common Open dialog as any Windows program would and prints the
// captions of its places bar, one per line in UTF-8, then cancels it. With
// a number of seconds as argument the dialog stays open that long first
// (for a screenshot). With --in-front it first shows a window of its own with
// a text box, as an editor would, and opens the dialog from it when Return is
// pressed there: a program that comes to the front before its user asks for
// a dialog. The program proofs under Wine read the dialog with it.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "text_box_window.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;
UINT holdMilliseconds = 0;
bool printed = false;

void printCaptions(HWND toolbar) {
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        const LRESULT length = SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, 0);
        std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        if (length > 0) SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length > 0 ? static_cast<size_t>(length) : 0);
        const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
        std::printf("%s\n", utf8.c_str());
    }
    std::fflush(stdout);
    printed = true;
}

UINT_PTR CALLBACK hook(HWND child, UINT message, WPARAM w, LPARAM l) {
    HWND dialog = GetParent(child);
    if (message == WM_NOTIFY && reinterpret_cast<OFNOTIFYW*>(l)->hdr.code == CDN_INITDONE) {
        if (HWND bar = GetDlgItem(dialog, ctl1)) printCaptions(bar);
        SetTimer(child, kCloseTimer, holdMilliseconds, nullptr);
    } else if (message == WM_TIMER && w == kCloseTimer) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

// Shows a window with a text box and waits for Return in it; none when the
// window is closed first.
HWND showWindowAndWaitForReturn() {
    HWND window = showTextBoxWindow(L"PlacesBarProbe", L"Places bar probe", 100, 100);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) return window;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    HWND owner = nullptr;
    if (argc > 1 && std::string(argv[1]) == "--in-front") {
        if (!(owner = showWindowAndWaitForReturn())) return 1;
    } else if (argc > 1) {
        holdMilliseconds = static_cast<UINT>(std::atoi(argv[1]) * 1000);
    }
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.lpstrTitle = L"Open";
    open.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    open.lpfnHook = hook;
    GetOpenFileNameW(&open);
    return printed ? 0 : 1;
}
