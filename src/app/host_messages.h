// Message numbers, window titles and object names that the host shares with
// the customizer, the on-screen display, the driver library and its own
// worker thread. Plain numbers, so tools and tests can use them too.
#pragma once

namespace korvid {

// Customizer to host (posted to the host window).
inline constexpr unsigned WM_HOST_APPLY_ALL = 1224;       // wParam passed on to the push, unread
inline constexpr unsigned WM_HOST_RELOAD = 1226;          // reload the section only
inline constexpr unsigned WM_HOST_RELOAD_POINTER = 1227;  // reload, apply pointer settings

// Host to customizer (posted, wParam 0, lParam 0).
inline constexpr unsigned WM_UI_PROFILE_CHANGED = 1255;
inline constexpr unsigned WM_UI_STAGE_CHANGED = 1257;
inline constexpr unsigned WM_UI_ENABLE_APPLY = 1258;

// Host to the on-screen display: wParam 40, profile index in the high word of lParam.
inline constexpr unsigned WM_OSD_SHOW = 1324;

// Driver library to host.
inline constexpr unsigned WM_DEVICE_EVENT = 1325;       // wParam event class, low word of lParam value
inline constexpr unsigned WM_DEVICE_CONNECTION = 1326;  // wParam 1 arrival, 0 removal

// Notification-area icon to host.
inline constexpr unsigned WM_SYSTRAY_NOTIFY = 1036;

// Window thread to worker thread (thread message): wParam is the push kind.
inline constexpr unsigned WM_THREAD_PUSH = 1649;

// Menu commands.
inline constexpr unsigned ID_TRAY_CUSTOMIZER = 6001;
inline constexpr unsigned ID_TRAY_EXIT = 6002;
inline constexpr unsigned ID_TRAY_ICON = 102;

// Timers of the host window.
inline constexpr unsigned TIMER_FOREGROUND_CHECK = 500;  // every 2000 ms while the mouse is attached
inline constexpr unsigned TIMER_INITIAL_PUSH = 502;      // once, 200 ms after start-up
inline constexpr unsigned TIMER_ATTACH_SETTLE = 503;     // once, 1000 ms after an attach event
inline constexpr unsigned kForegroundCheckMs = 2000;
inline constexpr unsigned kAttachSettleMs = 1000;
inline constexpr unsigned kInitialPushDelayMs = 200;

// Window titles, matched exactly, any window class.
inline constexpr wchar_t kHostWindowTitle[] = L"QIV_Brennox_2_Gaming mouse_Korvid";
inline constexpr wchar_t kCustomizerWindowTitle[] = L"QIV Brennox 2 Gaming mouse";
inline constexpr wchar_t kOsdWindowTitle[] = L"Oskel_TRAVENA7000X_OSD";

// Named kernel objects.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"T593K_Gaming_Mouse_HidHost";

}  // namespace korvid
