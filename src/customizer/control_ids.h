// The control IDs of the customizer's windows, one list for the window code,
// its string table and the tests that drive it (find the window titled
// "QIV Brennox 2 Gaming mouse", then the child with the ID). Every ID is
// unique across the main window and all pages. Plain numbers: no <windows.h>.
//
// Per-stage controls take the base ID plus the stage index 0..7 (kStageCount
// in config/share_data.h):
// ID_STAGE_X + 2 is the X resolution of stage 3.
#pragma once

namespace korvid {

// Main window.
inline constexpr int ID_OK = 1;      // IDOK: apply, close when the host has taken it
inline constexpr int ID_CANCEL = 2;  // IDCANCEL: close without applying
inline constexpr int ID_APPLY = 100;
inline constexpr int ID_TABS = 101;
inline constexpr int ID_EDIT_PROFILE = 102;  // combo box: the profile the pages show
inline constexpr int ID_EDIT_PROFILE_LABEL = 103;
inline constexpr int ID_PROGRESS = 104;
inline constexpr int ID_STATUS = 105;  // status bar: the latest event, in words
inline constexpr int ID_NOTICE = 106;  // a sentence with the buttons below
inline constexpr int ID_RESTORE_DRAFT = 107;
inline constexpr int ID_DISCARD_DRAFT = 108;
inline constexpr int ID_START_HOST = 109;

// Pages (child windows of the main window, in tab order).
inline constexpr int ID_PAGE_PROFILES = 200;
inline constexpr int ID_PAGE_DPI = 201;
inline constexpr int ID_PAGE_POINTER = 202;
inline constexpr int ID_PAGE_PROGRAM = 203;
inline constexpr int ID_PAGE_DEVICE = 204;
inline constexpr int ID_PAGE_OSD = 205;
inline constexpr int kPageCount = 6;

// Profiles page.
inline constexpr int ID_ACTIVE_PROFILE_TEXT = 300;  // "Active on the mouse: profile 2"
inline constexpr int ID_MAKE_ACTIVE = 301;
inline constexpr int ID_PROFILE_NAME = 302;
inline constexpr int ID_PROFILE_NAME_LABEL = 303;

// DPI page: eight rows, base + stage index 0..7.
inline constexpr int ID_STAGE_ENABLED = 400;
inline constexpr int ID_STAGE_X = 410;
inline constexpr int ID_STAGE_Y = 420;
inline constexpr int ID_STAGE_COLOR = 430;    // button: the colour dialog
inline constexpr int ID_STAGE_SWATCH = 440;   // static showing the colour
inline constexpr int ID_STAGE_CURRENT = 450;  // radio button: the current stage
inline constexpr int ID_LINK_XY = 460;        // check box: Y follows X
inline constexpr int ID_DPI_HEADER_X = 461;
inline constexpr int ID_DPI_HEADER_Y = 462;
inline constexpr int ID_DPI_HEADER_COLOR = 463;
inline constexpr int ID_DPI_HEADER_CURRENT = 464;

// Pointer page.
inline constexpr int ID_POINTER_SPEED = 500;  // edit, 1..11
inline constexpr int ID_POINTER_SPEED_LABEL = 501;
inline constexpr int ID_POINTER_ACCEL = 502;  // check box
inline constexpr int ID_DOUBLE_CLICK = 503;   // combo box of times in ms
inline constexpr int ID_DOUBLE_CLICK_LABEL = 504;
inline constexpr int ID_WHEEL_LINES_MODE = 505;  // radio button
inline constexpr int ID_WHEEL_PAGE_MODE = 506;   // radio button
inline constexpr int ID_WHEEL_LINES = 507;       // edit
inline constexpr int ID_POINTER_CAPTURE = 508;   // "Use my current Windows settings"

// Program binding page.
inline constexpr int ID_PROGRAM_PATH = 600;  // edit
inline constexpr int ID_PROGRAM_PATH_LABEL = 601;
inline constexpr int ID_PROGRAM_BROWSE = 602;
inline constexpr int ID_PROGRAM_CLEAR = 603;
inline constexpr int ID_PROGRAM_RUNNING = 604;  // combo box of running programs
inline constexpr int ID_PROGRAM_RUNNING_LABEL = 605;
inline constexpr int ID_PROGRAM_REFRESH = 606;
inline constexpr int ID_PROGRAM_HINT = 607;

// Device options page.
inline constexpr int ID_OPTION07 = 700;  // edit, 0..255
inline constexpr int ID_OPTION07_LABEL = 701;
inline constexpr int ID_PROFILE_OPTION = 702;  // edit, 0..255
inline constexpr int ID_PROFILE_OPTION_LABEL = 703;
inline constexpr int ID_DEVICE_HINT = 704;

// On-screen display page: config.ini's OSDSetting record, saved on its own
// (not part of Apply). The value controls follow kOsdFields (osd/osd_look.h):
// ID_OSD_VALUE + row, row 0 the position (combo box), the others edits; their
// labels ID_OSD_VALUE_LABEL + row.
inline constexpr int ID_OSD_ENABLED = 800;  // check box: osdEnabled
inline constexpr int ID_OSD_VALUE = 810;
inline constexpr int ID_OSD_VALUE_LABEL = 820;
inline constexpr int ID_OSD_SAVE = 830;
inline constexpr int ID_OSD_HINT = 831;

// The customizer's own message (to its main window, from a second Option.exe
// started with --page N): show page wParam (0-based). Nobody else sends it.
inline constexpr unsigned WM_CUSTOMIZER_SHOW_PAGE = 0x8000 + 1;  // WM_APP + 1

// Timers of the main window.
inline constexpr unsigned TIMER_APPLY_PROGRESS = 1;  // every kProgressStepMs while an apply is out
inline constexpr unsigned TIMER_APPLY_FALLBACK = 2;  // once: the host never answered
inline constexpr unsigned TIMER_HOST_WATCH = 3;      // every second while there is no host

}  // namespace korvid
