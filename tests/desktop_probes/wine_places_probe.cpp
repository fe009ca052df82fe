// Opens the common Open dialog (under Wine) and prints the captions of its
// places bar, one UTF-8 line each, then cancels it.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <string>

namespace {

void print(const wchar_t* text) {
    char utf8[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
}

UINT_PTR CALLBACK hook(HWND child, UINT message, WPARAM w, LPARAM l) {
    HWND dialog = GetParent(child);
    if (message == WM_INITDIALOG) {
        SetTimer(child, 1, 30000, nullptr);
    } else if (message == WM_TIMER && w == 1) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else if (message == WM_NOTIFY && reinterpret_cast<OFNOTIFYW*>(l)->hdr.code == CDN_INITDONE) {
        HWND bar = GetDlgItem(dialog, ctl1);
        const int count = bar ? static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            wchar_t text[512] = {};
            SendMessageW(bar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
            print(text);
        }
        std::fflush(stdout);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

}  // namespace

int main() {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    open.lpfnHook = hook;
    GetOpenFileNameW(&open);
    return 0;
}
