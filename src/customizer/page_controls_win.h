// What the files that build the customizer's pages share: control styles,
// 96-DPI rectangles, reading and setting a control's text.
#pragma once

#include <windows.h>
// After <windows.h>:
#include <commctrl.h>

#include <string>

namespace korvid::page {

inline constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
inline constexpr DWORD kTab = kChild | WS_TABSTOP;
inline constexpr DWORD kLabel = kChild | SS_LEFT;
inline constexpr DWORD kEdit = kTab | ES_AUTOHSCROLL;
inline constexpr DWORD kList = kTab | CBS_DROPDOWNLIST | WS_VSCROLL;
inline constexpr DWORD kButton = kTab | BS_PUSHBUTTON;
inline constexpr DWORD kCheck = kTab | BS_AUTOCHECKBOX;
inline constexpr DWORD kRadio = kTab | BS_RADIOBUTTON;

constexpr RECT R(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

inline std::wstring WindowText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline void SetTextIfDifferent(HWND control, const std::wstring& text) {
    if (WindowText(control) != text) (void)SetWindowTextW(control, text.c_str());
}

}  // namespace korvid::page
