// The notification-area icon, shown while the mouse is attached: a left click
// opens the customizer, a right click shows a two-item menu.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstddef>
#include <cwchar>
#include <string>

#include "app/host_state_win.h"
#include "app/korvid_wnd_win.h"
#include "base/debug_output_win.h"
#include "base/unique_resource_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

// The record in its version-3 layout, which ends with guidItem: 968 bytes as
// compiled for x64 (952 in a 32-bit build). The full structure is 976 bytes
// here (it adds hBalloonIcon); the shell takes either size.
inline constexpr DWORD kTrayIconDataSize = NOTIFYICONDATAW_V3_SIZE;
static_assert(kTrayIconDataSize == offsetof(NOTIFYICONDATAW, guidItem) + sizeof(GUID));
static_assert(sizeof(void*) != 8 || kTrayIconDataSize == 968, "the x64 layout of NOTIFYICONDATAW");

inline constexpr UINT kStringOpenSettings = 1000;
inline constexpr UINT kStringExit = 1001;
inline constexpr UINT kStringTooltip = 1002;

// Used when lan.dll or one of its strings is missing, so the menu and the
// tooltip are never empty.
const wchar_t* BuiltInText(UINT id) {
    switch (id) {
        case kStringOpenSettings:
            return L"Open settings";
        case kStringExit:
            return L"Exit";
        default:
            return L"Korvid mouse settings";
    }
}

// A string of the language library, at most 259 characters.
std::wstring LoadText(UINT id) {
    wchar_t buffer[260] = {};
    if (host.languageLibrary && LoadStringW(host.languageLibrary.get(), id, buffer, 260) > 0) return buffer;
    return BuiltInText(id);
}

}  // namespace

void CKorvidWnd::AddTrayIcon() {
    trayIconData_.cbSize = kTrayIconDataSize;
    trayIconData_.hWnd = m_hWnd;
    wchar_t exePath[MAX_PATH] = {};
    (void)GetModuleFileNameW(nullptr, exePath, MAX_PATH);
    SHFILEINFOW info{};
    if (SHGetFileInfoW(exePath, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) != 0) {
        trayIcon_.reset(info.hIcon);
        trayIconData_.hIcon = info.hIcon;
    }
    trayIconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconData_.uID = ID_TRAY_ICON;
    trayIconData_.uCallbackMessage = WM_SYSTRAY_NOTIFY;
    // szTip holds 127 characters and the terminator; a longer text is cut.
    (void)lstrcpynW(trayIconData_.szTip, LoadText(kStringTooltip).c_str(), ARRAYSIZE(trayIconData_.szTip));
    (void)Shell_NotifyIconW(NIM_ADD, &trayIconData_);  // without a notification area the host runs on
}

void CKorvidWnd::RemoveTrayIcon() {
    trayIconData_.cbSize = kTrayIconDataSize;
    trayIconData_.hWnd = m_hWnd;
    trayIconData_.uID = ID_TRAY_ICON;
    trayIconData_.uCallbackMessage = WM_SYSTRAY_NOTIFY;
    (void)Shell_NotifyIconW(NIM_DELETE, &trayIconData_);
}

LRESULT CKorvidWnd::OnSystrayNotify(WPARAM, LPARAM lParam) {
    switch (lParam) {
        case WM_LBUTTONDOWN: {
            OnCustomizer(0, 0);
            HWND popup = GetLastActivePopup(m_hWnd);
            if (IsIconic(popup)) ShowWindow(popup, SW_SHOWNORMAL);
            SetForegroundWindow(popup);
            SetActiveWindow(popup);
            break;
        }
        case WM_LBUTTONDBLCLK:
            DebugLine(L"OnSystrayNotify WM_LBUTTONDBLCLK\n");
            OnCustomizer(0, 0);
            break;
        case WM_RBUTTONDOWN:
            ShowTrayMenu();
            break;
        default:
            break;
    }
    return 0;
}

void CKorvidWnd::ShowTrayMenu() {
    SetForegroundWindow(GetLastActivePopup(m_hWnd));
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    (void)AppendMenuW(menu.get(), MF_STRING, ID_TRAY_CUSTOMIZER, LoadText(kStringOpenSettings).c_str());
    (void)SetMenuDefaultItem(menu.get(), ID_TRAY_CUSTOMIZER, FALSE);
    (void)AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    (void)AppendMenuW(menu.get(), MF_STRING, ID_TRAY_EXIT, LoadText(kStringExit).c_str());
    POINT cursor{};
    (void)GetCursorPos(&cursor);
    (void)TrackPopupMenu(menu.get(), 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    (void)PostMessageW(m_hWnd, WM_NULL, 0, 0);  // lets the menu close properly
}

LRESULT CKorvidWnd::OnTaskbarCreated(WPARAM, LPARAM) {
    // Explorer restarted and lost every icon: put ours back while the mouse is attached.
    if (host.deviceState == kDeviceAttached) AddTrayIcon();
    return 0;
}

}  // namespace korvid
