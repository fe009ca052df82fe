// Opens the common Open dialog as any Windows program would and prints the
// captions of its places bar, one per line in UTF-8, then cancels it. With
// a number of seconds as argument the dialog stays open that long first
// (for a screenshot). The program proofs under Wine read the dialog with it.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) holdMilliseconds = static_cast<UINT>(std::atoi(argv[1]) * 1000);
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.lpstrTitle = L"Open";
    open.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    open.lpfnHook = hook;
    GetOpenFileNameW(&open);
    return printed ? 0 : 1;
}
