#pragma once
// A top-level window with a text box that takes the focus, as an editor's
// window has: the Windows proofs' probe and the bench under Wine bring it to
// the front as a program of their own.
#include <windows.h>

namespace text_box_window {

inline LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_SETFOCUS) SetFocus(GetWindow(window, GW_CHILD));
    if (message == WM_DESTROY) PostQuitMessage(1);
    return DefWindowProcW(window, message, w, l);
}

}  // namespace text_box_window

// Shows the window of the class `className` (registered here), titled
// `title`, at (x, y), with the focus in its text box.
inline HWND showTextBoxWindow(const wchar_t* className, const wchar_t* title, int x, int y) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = text_box_window::windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 400, 200, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    HWND text = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 360, 24, window, nullptr,
                              windowClass.hInstance, nullptr);
    SetFocus(text);
    return window;
}
