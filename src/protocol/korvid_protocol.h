// Every fact the suite's programs and files exchange, written once: window
// titles, message numbers with the meaning of wParam and lParam, named kernel
// objects, push kinds, device event classes, and the names of the files and
// folders the programs find each other by.
//
// Who talks to whom:
//   - The customizer (Option.exe) posts WM_HOST_* to the host window and reads
//     and writes the shared section under the section mutex; the host posts
//     WM_UI_* to the customizer's window.
//   - The host posts WM_OSD_SHOW to the on-screen display (FerroxOSD.exe).
//   - The driver library (hiddriver.dll, contract in drivers/hiddriver.h)
//     posts WM_DEVICE_EVENT and WM_DEVICE_CONNECTION to the host window.
//   - The host's window thread posts WM_THREAD_PUSH to its worker thread.
// Windows are found by their exact title, any window class. Plain numbers and
// literals, no <windows.h>: tools, tests and the portable core include it too.
#pragma once

#include <cstdint>

namespace korvid {

// --- Window messages -------------------------------------------------------

// Customizer to host (posted to the host window).
inline constexpr unsigned WM_HOST_APPLY_ALL = 1224;       // wParam passed on to the push, unread
inline constexpr unsigned WM_HOST_RELOAD = 1226;          // reload the section only
inline constexpr unsigned WM_HOST_RELOAD_POINTER = 1227;  // reload, apply pointer settings

// Host to customizer (posted, wParam 0, lParam 0).
inline constexpr unsigned WM_UI_PROFILE_CHANGED = 1255;
inline constexpr unsigned WM_UI_STAGE_CHANGED = 1257;
inline constexpr unsigned WM_UI_ENABLE_APPLY = 1258;

// Host to the on-screen display: wParam kOsdShowWParam, profile index (0-based)
// in the high word of lParam.
inline constexpr unsigned WM_OSD_SHOW = 1324;
inline constexpr std::uintptr_t kOsdShowWParam = 40;
constexpr std::intptr_t OsdShowLParam(int profileIndex) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(profileIndex) & 0xFFFFu) << 16);
}
// The on-screen display ignores every other wParam and profile indexes
// outside 0..4. While it shows a profile, its window carries the property
// kOsdShownProfileProp = profile index + 1 (0 or absent while hidden), for
// tests and tools that look at it from outside.
inline constexpr wchar_t kOsdShownProfileProp[] = L"KorvidOsdShownProfile";

// Driver library to host.
inline constexpr unsigned WM_DEVICE_EVENT = 1325;       // wParam event class, low word of lParam its argument
inline constexpr unsigned WM_DEVICE_CONNECTION = 1326;  // wParam kConnectionMessageArrival or ...Removal
inline constexpr unsigned kConnectionMessageArrival = 1;
inline constexpr unsigned kConnectionMessageRemoval = 0;

// Notification-area icon to host.
inline constexpr unsigned WM_SYSTRAY_NOTIFY = 1036;

// Window thread to worker thread (thread message): wParam is the push kind.
inline constexpr unsigned WM_THREAD_PUSH = 1649;

// Menu commands (WM_COMMAND to the host window) and the icon's ID.
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

// --- Push kinds (wParam of WM_THREAD_PUSH) ----------------------------------

inline constexpr int PUSH_CHANGED = 1;  // what the change flags mark; the customizer is told afterwards
inline constexpr int PUSH_ALL = 2;      // everything
inline constexpr int PUSH_PROFILE = 3;  // only the active profile: CMD_BEGIN, CMD_ACTIVE_PROFILE, CMD_END

// --- Device event classes (wParam of WM_DEVICE_EVENT) -----------------------

inline constexpr std::uint16_t EVENT_PROFILE = 0x3000;          // profile number 1..5
inline constexpr std::uint16_t EVENT_LAUNCH_PROGRAM = 0x6000;   // button slot number 1..15
inline constexpr std::uint16_t EVENT_CONNECTION = 0x7F00;       // kConnectionAttached / kConnectionRemoved
inline constexpr std::uint16_t EVENT_OPEN_CUSTOMIZER = 0xA000;  // 1
inline constexpr std::uint16_t EVENT_DPI_STAGE = 0xB000;        // DPI stage number 1..8

inline constexpr std::uint16_t kConnectionAttached = 1;
inline constexpr std::uint16_t kConnectionRemoved = 2;

// --- Window titles, matched exactly -----------------------------------------

inline constexpr wchar_t kHostWindowTitle[] = L"QIV_Brennox_2_Gaming mouse_Korvid";
inline constexpr wchar_t kCustomizerWindowTitle[] = L"QIV Brennox 2 Gaming mouse";
inline constexpr wchar_t kOsdWindowTitle[] = L"Oskel_TRAVENA7000X_OSD";

// --- Named kernel objects ---------------------------------------------------

inline constexpr wchar_t kSingleInstanceMutexName[] = L"T593K_Gaming_Mouse_HidHost";
// The customizer's own single-instance mutex (never the section mutex, which
// only the host creates): a second Option.exe finds it taken, brings the
// first one's window forward and ends.
inline constexpr wchar_t kCustomizerInstanceMutexName[] = L"Korvid_QIV_Brennox_2_Customizer";
// The on-screen display's single-instance mutex: the host starts
// FerroxOSD.exe at every start-up; a second one finds the name taken and ends
// with 0 at once. It opens the section mutex only to read, never creates it.
inline constexpr wchar_t kOsdInstanceMutexName[] = L"Korvid_Oskel_TRAVENA7000X_OSD";
// The configuration image shared with the customizer, and the mutex that
// guards every read and write of it. Only the host creates the mutex: its
// start-up fails when the name is already taken.
inline constexpr wchar_t kSectionName[] = L"T593K_Gaming_Mouse_ShareData";
inline constexpr wchar_t kSectionMutexName[] = L"T593K_Gaming_Mouse_Mutex_Object";

// --- Files and folders ------------------------------------------------------

// In the install folder, beside Korvid.exe.
inline constexpr wchar_t kHostExeName[] = L"Korvid.exe";
inline constexpr wchar_t kCustomizerExeName[] = L"Option.exe";
inline constexpr wchar_t kOsdExeName[] = L"FerroxOSD.exe";
inline constexpr const wchar_t* kAppletExeNames[] = {L"Applets\\CpuRam.exe", L"Applets\\EmailPOP3.EXE"};
inline constexpr wchar_t kDriverLibraryName[] = L"hiddriver.dll";
inline constexpr wchar_t kLanguageLibraryName[] = L"lan.dll";
inline constexpr wchar_t kSettingsFileName[] = L"config.ini";

// config.ini: the mouse's USB IDs, and the on-screen-display record.
inline constexpr wchar_t kDeviceSection[] = L"Device";
inline constexpr wchar_t kVendorIdKey[] = L"VendorId";
inline constexpr wchar_t kProductIdKey[] = L"ProductId";
inline constexpr wchar_t kOsdSettingsSection[] = L"OSDSetting";
inline constexpr wchar_t kOsdSettingsKey[] = L"config";
// The record is OsdSettings (config/osd_settings.h), 348 bytes, all int32
// little-endian. The host reads only osdEnabled; the rest belongs to the
// on-screen display and the customizer's OSD page:
//   0  osdLayout      1: the fields below are set; anything else: defaults
//   4  osdPosition    0..8, a 3x3 grid row by row (0 top left, 4 centre,
//                     7 bottom centre) on the foreground window's monitor
//   8  osdEnabled     1: the host posts WM_OSD_SHOW on profile changes
//   12 osdShowMs      full-opacity time, 200..10000 ms
//   16 osdFadeMs      fade-out time, 0..5000 ms
//   20 osdTextSize    profile line height in pixels at 96 DPI, 12..96
//   24 osdOpacity     percent, 20..100
//   28 osdMarginPx    distance from the work area's edge at 96 DPI, 0..400
//   32..347           reserved, zero
// A field out of its range takes its default (see osd/osd_look.h).

// The data folder: "<application data>\QIV Brennox 2\" with Config\Config.data
// in it (config/data_folder.h builds the paths).
inline constexpr char16_t kProductFolder[] = u"\\QIV Brennox 2";
inline constexpr char16_t kConfigFolderName[] = u"Config";
inline constexpr char16_t kConfigFileName[] = u"\\Config.data";

}  // namespace korvid
