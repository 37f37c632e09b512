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
inline constexpr int ID_PAGE_BUTTONS = 205;
inline constexpr int ID_PAGE_MACROS = 206;
inline constexpr int ID_PAGE_LIGHTING = 207;
inline constexpr int ID_PAGE_OSD = 208;
inline constexpr int kPageCount = 9;

// Profiles page.
inline constexpr int ID_ACTIVE_PROFILE_TEXT = 300;  // "Active on the mouse: profile 2"
inline constexpr int ID_MAKE_ACTIVE = 301;
inline constexpr int ID_PROFILE_NAME = 302;
inline constexpr int ID_PROFILE_NAME_LABEL = 303;
// Whole profiles, on the Profiles page.
inline constexpr int ID_COPY_LABEL = 310;
inline constexpr int ID_COPY_TARGET = 311;  // combo box: the profile that takes the copy
inline constexpr int ID_COPY_PROFILE = 312;
inline constexpr int ID_RESET_PROFILE = 313;  // asks first
inline constexpr int ID_RESET_ALL = 314;      // asks first
inline constexpr int ID_CONFIG_FILE_LABEL = 315;
inline constexpr int ID_CONFIG_FILE = 316;  // edit: the file Import reads and Export writes
inline constexpr int ID_CONFIG_BROWSE = 317;
inline constexpr int ID_IMPORT = 318;
inline constexpr int ID_EXPORT = 319;
inline constexpr int ID_IMPORT_REPORT = 320;  // read-only edit: every line an import refused

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
inline constexpr int ID_DPI_OPTION_A = 705;  // edits, 0..255; the label is ID + 10
inline constexpr int ID_DPI_OPTION_B = 706;
inline constexpr int ID_DPI_OPTION_C = 707;
inline constexpr int ID_DPI_OPTION_D = 708;
inline constexpr int ID_DPI_OPTION_LABEL = 715;  // + 0..3

// Buttons page: the twenty slots of the edited profile, the selected one's
// function and what the function needs.
inline constexpr int ID_BUTTON_LIST = 800;      // list box: "Button 4: Macro"
inline constexpr int ID_BUTTON_FUNCTION = 801;  // combo box of OfferedButtonFunctions
inline constexpr int ID_BUTTON_FUNCTION_LABEL = 802;
inline constexpr int ID_BUTTON_KEY = 803;  // key capture box (focus it, press the keys)
inline constexpr int ID_BUTTON_KEY_LABEL = 804;
inline constexpr int ID_BUTTON_MACRO = 805;  // combo box: the profile's macros
inline constexpr int ID_BUTTON_MACRO_LABEL = 806;
inline constexpr int ID_BUTTON_LAUNCH = 807;  // edit: launchPath
inline constexpr int ID_BUTTON_LAUNCH_LABEL = 808;
inline constexpr int ID_BUTTON_LAUNCH_BROWSE = 809;
inline constexpr int ID_BUTTON_SENT = 810;  // "The mouse gets 05 01 06"

// Macros page: one macro button of the edited profile at a time.
inline constexpr int ID_MACRO_LIST = 900;  // combo box: the profile's macro buttons
inline constexpr int ID_MACRO_LIST_LABEL = 901;
inline constexpr int ID_MACRO_NAME = 902;
inline constexpr int ID_MACRO_NAME_LABEL = 903;
inline constexpr int ID_MACRO_NAME_SENT = 904;  // the name as the mouse gets it
inline constexpr int ID_MACRO_REPEAT = 905;
inline constexpr int ID_MACRO_REPEAT_LABEL = 906;
inline constexpr int ID_MACRO_OPTION = 907;
inline constexpr int ID_MACRO_OPTION_LABEL = 908;
inline constexpr int ID_MACRO_STEPS = 909;     // list box, one line a step
inline constexpr int ID_MACRO_RECORD = 910;    // starts and stops the recorder
inline constexpr int ID_MACRO_RECORDER = 911;  // records the keys while it has focus
inline constexpr int ID_STEP_INSERT = 912;
inline constexpr int ID_STEP_DELETE = 913;
inline constexpr int ID_STEP_UP = 914;
inline constexpr int ID_STEP_DOWN = 915;
inline constexpr int ID_STEP_KEY = 916;    // key capture box for the selected step
inline constexpr int ID_STEP_STATE = 917;  // combo box: press, release
inline constexpr int ID_STEP_DELAY = 918;  // edit, ms
inline constexpr int ID_STEP_LABEL = 919;
inline constexpr int ID_MACRO_LIMITS = 920;  // what the push would do otherwise than shown

// Lighting page: zones A and B, and zone A's list of eight colours.
inline constexpr int ID_LIGHT_MODE_A = 1000;  // combo box: modes 0..255, 5 off
inline constexpr int ID_LIGHT_PARAM_A1 = 1001;
inline constexpr int ID_LIGHT_PARAM_A2 = 1002;
inline constexpr int ID_LIGHT_PARAM_A3 = 1003;
inline constexpr int ID_LIGHT_COLOR_A = 1004;  // edit: #RRGGBB
inline constexpr int ID_LIGHT_SWATCH_A = 1005;
inline constexpr int ID_LIGHT_PICK_A = 1006;  // the colour dialog
inline constexpr int ID_LIGHT_MODE_B = 1010;
inline constexpr int ID_LIGHT_PARAM_B1 = 1011;
inline constexpr int ID_LIGHT_PARAM_B2 = 1012;
inline constexpr int ID_LIGHT_COLOR_B = 1014;
inline constexpr int ID_LIGHT_SWATCH_B = 1015;
inline constexpr int ID_LIGHT_PICK_B = 1016;
inline constexpr int ID_LIGHT_LABEL = 1020;         // labels: + 0..9
inline constexpr int ID_LIGHT_SLOT_ENABLED = 1030;  // + slot 0..7 (kLightSlotCount)
inline constexpr int ID_LIGHT_SLOT_COLOR = 1040;
inline constexpr int ID_LIGHT_SLOT_SWATCH = 1050;
inline constexpr int ID_LIGHT_SLOT_PICK = 1060;

// On-screen display page: config.ini's OSDSetting record, saved on its own
// (not part of Apply). The value controls follow kOsdFields (osd/osd_look.h):
// ID_OSD_VALUE + row, row 0 the position (combo box), the others edits; their
// labels ID_OSD_VALUE_LABEL + row.
inline constexpr int ID_OSD_ENABLED = 1100;  // check box: osdEnabled
inline constexpr int ID_OSD_VALUE = 1110;
inline constexpr int ID_OSD_VALUE_LABEL = 1120;
inline constexpr int ID_OSD_SAVE = 1130;
inline constexpr int ID_OSD_HINT = 1131;

// The customizer's own message (to its main window, from a second Option.exe
// started with --page N): show page wParam (0-based). Nobody else sends it.
inline constexpr unsigned WM_CUSTOMIZER_SHOW_PAGE = 0x8000 + 1;  // WM_APP + 1
// From a key capture box (ID_BUTTON_KEY, ID_STEP_KEY, ID_MACRO_RECORDER) to
// the main window, sent: wParam the box's control ID, lParam the key message
// packed by PackKeyMessage (customizer_slots_win.cpp).
inline constexpr unsigned WM_CUSTOMIZER_KEY = 0x8000 + 0x20;

// Timers of the main window.
inline constexpr unsigned TIMER_APPLY_PROGRESS = 1;  // every kProgressStepMs while an apply is out
inline constexpr unsigned TIMER_APPLY_FALLBACK = 2;  // once: the host never answered
inline constexpr unsigned TIMER_HOST_WATCH = 3;      // every second while there is no host

}  // namespace korvid
