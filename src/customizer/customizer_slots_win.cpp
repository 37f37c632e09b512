// The Buttons, Macros and Lighting pages and the whole-profile commands of the
// Profiles page: building their controls, showing the session in them, and
// turning what the person does into edits of the session. The key capture
// boxes are edit controls that hand every key message to the main window.
#include <windows.h>
// After <windows.h>:
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/atomic_file_win.h"
#include "base/wide_text_win.h"
#include "config/share_data.h"
#include "customizer/button_functions.h"
#include "customizer/customizer_wnd_win.h"
#include "customizer/page_controls_win.h"
#include "customizer/profile_tools.h"
#include "customizer/string_ids.h"
#include "device/button_command.h"
#include "inspect/frame_decoder.h"

namespace korvid {
namespace {

using namespace page;

// A key message as WM_CUSTOMIZER_KEY carries it in lParam.
constexpr LPARAM kKeyUpBit = 1 << 17;
constexpr LPARAM kExtendedBit = 1 << 16;
constexpr int kFocusTakerShift = 32;
static_assert(sizeof(LPARAM) == 8, "the focus taker's ID needs a 64-bit LPARAM");

LPARAM PackKeyMessage(UINT message, WPARAM virtualKey, LPARAM keyData) {
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    return static_cast<LPARAM>(virtualKey & 0xFF) | (((keyData >> 16) & 0xFF) << 8) |
           (((keyData >> 24) & 1) != 0 ? kExtendedBit : 0) | (up ? kKeyUpBit : 0);
}

LPARAM FocusTaker(HWND window) {
    return window != nullptr ? static_cast<LPARAM>(GetDlgCtrlID(window)) << kFocusTakerShift : 0;
}

// A key capture box: takes every key but Tab (which still moves on), and
// passes the key messages and its focus changes to the main window.
LRESULT CALLBACK KeyBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const HWND root = GetAncestor(hwnd, GA_ROOT);
    switch (message) {
        case WM_GETDLGCODE:
            if (wParam == VK_TAB) return DefSubclassProc(hwnd, message, wParam, lParam);
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
            (void)SendMessageW(root, WM_CUSTOMIZER_KEY, static_cast<WPARAM>(GetDlgCtrlID(hwnd)),
                               PackKeyMessage(message, wParam, lParam));
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_DEADCHAR:
        case WM_SYSDEADCHAR:
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // A focus change: no key at all (virtual key 0); on a loss, the
            // control ID of the window that takes the focus above bit 32.
            (void)SendMessageW(root, WM_CUSTOMIZER_KEY, static_cast<WPARAM>(GetDlgCtrlID(hwnd)),
                               message == WM_KILLFOCUS ? kKeyUpBit | FocusTaker(reinterpret_cast<HWND>(wParam)) : 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::wstring HexBytes(const ButtonBytes& bytes, std::size_t count) {
    return Utf8ToWide(Hex(std::span(bytes).first(count)));
}

std::wstring MacroLabel(const ButtonData& slot) { return ToWide(std::u16string(slot.macroName)); }

int SelectedIndex(HWND list, UINT getCurSel) { return static_cast<int>(SendMessageW(list, getCurSel, 0, 0)); }

}  // namespace

// --- Building -------------------------------------------------------------------

void CCustomizerWnd::CreateSlotPages() {
    const auto keyBox = [&](HWND page, int id, RECT dip) {
        HWND box = Add(page, WC_EDITW, Text(IDS_KEY_BOX_HINT), kTab | ES_READONLY | WS_BORDER, id, dip);
        (void)SetWindowSubclass(box, KeyBoxProc, 1, 0);
    };

    // Whole profiles, on the Profiles page under the name.
    HWND page = pages_[0];
    Add(page, WC_STATICW, Text(IDS_COPY_LABEL), kLabel, ID_COPY_LABEL, R(8, 123, 150, 20));
    Add(page, WC_COMBOBOXW, L"", kList, ID_COPY_TARGET, R(160, 119, 220, 200));
    Add(page, WC_BUTTONW, Text(IDS_COPY_PROFILE), kButton, ID_COPY_PROFILE, R(388, 118, 80, 26));
    Add(page, WC_BUTTONW, Text(IDS_RESET_PROFILE), kButton, ID_RESET_PROFILE, R(8, 152, 180, 26));
    Add(page, WC_BUTTONW, Text(IDS_RESET_ALL), kButton, ID_RESET_ALL, R(196, 152, 180, 26));
    Add(page, WC_STATICW, Text(IDS_CONFIG_FILE), kLabel, ID_CONFIG_FILE_LABEL, R(8, 190, 540, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_CONFIG_FILE, R(8, 212, 300, 23));
    Add(page, WC_BUTTONW, Text(IDS_CONFIG_BROWSE), kButton, ID_CONFIG_BROWSE, R(316, 211, 76, 26));
    Add(page, WC_BUTTONW, Text(IDS_IMPORT), kButton, ID_IMPORT, R(400, 211, 72, 26));
    Add(page, WC_BUTTONW, Text(IDS_EXPORT), kButton, ID_EXPORT, R(478, 211, 72, 26));
    Add(page, WC_EDITW, L"", kTab | WS_BORDER | ES_MULTILINE | ES_READONLY | WS_VSCROLL, ID_IMPORT_REPORT,
        R(8, 242, 542, 44));

    page = pages_[ID_PAGE_BUTTONS - ID_PAGE_PROFILES];
    Add(page, WC_LISTBOXW, L"", kTab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, ID_BUTTON_LIST,
        R(8, 8, 250, 276));
    Add(page, WC_STATICW, Text(IDS_BUTTON_FUNCTION), kLabel, ID_BUTTON_FUNCTION_LABEL, R(270, 12, 80, 20));
    Add(page, WC_COMBOBOXW, L"", kList, ID_BUTTON_FUNCTION, R(352, 8, 198, 300));
    Add(page, WC_STATICW, Text(IDS_BUTTON_KEY), kLabel, ID_BUTTON_KEY_LABEL, R(270, 48, 80, 20));
    keyBox(page, ID_BUTTON_KEY, R(352, 45, 198, 23));
    Add(page, WC_STATICW, Text(IDS_BUTTON_MACRO), kLabel, ID_BUTTON_MACRO_LABEL, R(270, 84, 80, 20));
    Add(page, WC_COMBOBOXW, L"", kList, ID_BUTTON_MACRO, R(352, 80, 198, 300));
    Add(page, WC_STATICW, Text(IDS_BUTTON_LAUNCH), kLabel, ID_BUTTON_LAUNCH_LABEL, R(270, 118, 280, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_BUTTON_LAUNCH, R(270, 140, 280, 23));
    Add(page, WC_BUTTONW, Text(IDS_PROGRAM_BROWSE), kButton, ID_BUTTON_LAUNCH_BROWSE, R(270, 170, 90, 26));
    Add(page, WC_STATICW, L"", kLabel, ID_BUTTON_SENT, R(270, 210, 280, 40));

    page = pages_[ID_PAGE_MACROS - ID_PAGE_PROFILES];
    Add(page, WC_STATICW, Text(IDS_MACRO_LIST), kLabel, ID_MACRO_LIST_LABEL, R(8, 11, 50, 20));
    Add(page, WC_COMBOBOXW, L"", kList, ID_MACRO_LIST, R(60, 8, 200, 300));
    Add(page, WC_STATICW, Text(IDS_MACRO_REPEAT), kLabel, ID_MACRO_REPEAT_LABEL, R(272, 11, 50, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_MACRO_REPEAT, R(324, 8, 44, 23));
    Add(page, WC_STATICW, Text(IDS_MACRO_OPTION), kLabel, ID_MACRO_OPTION_LABEL, R(378, 11, 50, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_MACRO_OPTION, R(430, 8, 44, 23));
    Add(page, WC_STATICW, Text(IDS_MACRO_NAME), kLabel, ID_MACRO_NAME_LABEL, R(8, 43, 50, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_MACRO_NAME, R(60, 40, 200, 23));
    Add(page, WC_STATICW, L"", kLabel, ID_MACRO_NAME_SENT, R(272, 43, 278, 20));
    Add(page, WC_LISTBOXW, L"", kTab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, ID_MACRO_STEPS,
        R(8, 70, 360, 140));
    Add(page, WC_BUTTONW, Text(IDS_MACRO_RECORD), kButton, ID_MACRO_RECORD, R(376, 70, 174, 26));
    HWND recorder = Add(page, WC_EDITW, Text(IDS_RECORDER_HINT), kTab | ES_READONLY | WS_BORDER, ID_MACRO_RECORDER,
                        R(376, 100, 174, 23));
    (void)SetWindowSubclass(recorder, KeyBoxProc, 1, 0);
    Add(page, WC_BUTTONW, Text(IDS_STEP_INSERT), kButton, ID_STEP_INSERT, R(376, 130, 84, 26));
    Add(page, WC_BUTTONW, Text(IDS_STEP_DELETE), kButton, ID_STEP_DELETE, R(466, 130, 84, 26));
    Add(page, WC_BUTTONW, Text(IDS_STEP_UP), kButton, ID_STEP_UP, R(376, 160, 84, 26));
    Add(page, WC_BUTTONW, Text(IDS_STEP_DOWN), kButton, ID_STEP_DOWN, R(466, 160, 84, 26));
    Add(page, WC_STATICW, Text(IDS_STEP_LABEL), kLabel, ID_STEP_LABEL, R(8, 219, 222, 20));
    keyBox(page, ID_STEP_KEY, R(232, 216, 110, 23));
    Add(page, WC_COMBOBOXW, L"", kList, ID_STEP_STATE, R(348, 216, 90, 100));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_STEP_DELAY, R(444, 216, 60, 23));
    Add(page, WC_STATICW, L"", kLabel, ID_MACRO_LIMITS, R(8, 244, 542, 44));

    page = pages_[ID_PAGE_LIGHTING - ID_PAGE_PROFILES];
    const struct {
        int y;
        UINT zone;
        int mode, color, swatch, pick;
        std::vector<int> params;
    } kZones[] = {
        {4,
         IDS_LIGHT_ZONE_A,
         ID_LIGHT_MODE_A,
         ID_LIGHT_COLOR_A,
         ID_LIGHT_SWATCH_A,
         ID_LIGHT_PICK_A,
         {ID_LIGHT_PARAM_A1, ID_LIGHT_PARAM_A2, ID_LIGHT_PARAM_A3}},
        {130,
         IDS_LIGHT_ZONE_B,
         ID_LIGHT_MODE_B,
         ID_LIGHT_COLOR_B,
         ID_LIGHT_SWATCH_B,
         ID_LIGHT_PICK_B,
         {ID_LIGHT_PARAM_B1, ID_LIGHT_PARAM_B2}},
    };
    int label = ID_LIGHT_LABEL;
    for (const auto& zone : kZones) {
        Add(page, WC_STATICW, Text(zone.zone), kLabel, label++, R(8, zone.y, 200, 20));
        Add(page, WC_STATICW, Text(IDS_LIGHT_MODE), kLabel, label++, R(8, zone.y + 24, 80, 20));
        Add(page, WC_COMBOBOXW, L"", kList, zone.mode, R(160, zone.y + 20, 120, 300));
        Add(page, WC_STATICW, Text(IDS_LIGHT_PARAMS), kLabel, label++, R(8, zone.y + 54, 150, 20));
        for (std::size_t i = 0; i < zone.params.size(); ++i) {
            Add(page, WC_EDITW, L"", kEdit | WS_BORDER, zone.params[i],
                R(160 + 42 * static_cast<int>(i), zone.y + 51, 38, 23));
        }
        Add(page, WC_STATICW, Text(IDS_LIGHT_COLOR), kLabel, label++, R(8, zone.y + 86, 80, 20));
        Add(page, WC_STATICW, L"", kChild | SS_SUNKEN, zone.swatch, R(160, zone.y + 87, 22, 18));
        Add(page, WC_EDITW, L"", kEdit | WS_BORDER, zone.color, R(186, zone.y + 84, 70, 23));
        Add(page, WC_BUTTONW, Text(IDS_LIGHT_PICK), kButton, zone.pick, R(260, zone.y + 83, 24, 26));
    }
    Add(page, WC_STATICW, Text(IDS_LIGHT_HINT), kLabel, label++, R(8, 250, 540, 36));
    Add(page, WC_STATICW, Text(IDS_LIGHT_SLOTS), kLabel, label++, R(300, 4, 250, 20));
    for (int slot = 0; slot < kLightSlotCount; ++slot) {
        const int y = 26 + 27 * slot;
        wchar_t text[32];
        (void)swprintf(text, 32, Text(IDS_LIGHT_SLOT).c_str(), slot + 1);
        Add(page, WC_BUTTONW, text, kCheck, ID_LIGHT_SLOT_ENABLED + slot, R(300, y + 1, 92, 22));
        Add(page, WC_STATICW, L"", kChild | SS_SUNKEN, ID_LIGHT_SLOT_SWATCH + slot, R(396, y + 3, 22, 18));
        Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_LIGHT_SLOT_COLOR + slot, R(422, y, 70, 23));
        Add(page, WC_BUTTONW, Text(IDS_LIGHT_PICK), kButton, ID_LIGHT_SLOT_PICK + slot, R(496, y - 1, 24, 26));
    }

    // The lists that never change.
    HWND functions = Control(ID_BUTTON_FUNCTION);
    for (const std::uint8_t code : OfferedButtonFunctions()) {
        const std::string label8 = ButtonFunctionLabel(code);
        (void)SendMessageW(functions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(label8).c_str()));
    }
    for (const int mode : {ID_LIGHT_MODE_A, ID_LIGHT_MODE_B}) {
        HWND list = Control(mode);
        (void)SendMessageW(list, CB_INITSTORAGE, 256, 256 * 16 * sizeof(wchar_t));
        const std::wstring format = Text(IDS_LIGHT_MODE_ITEM);
        for (int value = 0; value <= 255; ++value) {
            wchar_t item[32];
            (void)swprintf(item, 32, format.c_str(), value);
            const std::wstring text = value == 5 ? Text(IDS_LIGHT_MODE_OFF) : std::wstring(item);
            (void)SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
    HWND states = Control(ID_STEP_STATE);
    (void)SendMessageW(states, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(IDS_STEP_PRESS).c_str()));
    (void)SendMessageW(states, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(IDS_STEP_RELEASE).c_str()));
    (void)SendMessageW(Control(ID_BUTTON_LAUNCH), EM_LIMITTEXT, kLaunchPathChars - 1, 0);
    (void)SendMessageW(Control(ID_MACRO_NAME), EM_LIMITTEXT, kMacroNameChars - 1, 0);
    for (const int id : {ID_LIGHT_COLOR_A, ID_LIGHT_COLOR_B}) (void)SendMessageW(Control(id), EM_LIMITTEXT, 10, 0);
}

// --- Showing the session -------------------------------------------------------

void CCustomizerWnd::FillSlotPages() {
    FillButtons();
    FillMacros();
    FillLighting();
}

void CCustomizerWnd::FillButtons() {
    const ProfileData& profile = session_.edited().profiles[editing_];
    HWND list = Control(ID_BUTTON_LIST);
    (void)SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    (void)SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const std::wstring format = Text(IDS_BUTTON_ITEM);
    for (int j = 0; j < kButtonCount; ++j) {
        const ButtonData& slot = profile.buttons[j];
        std::wstring what = Utf8ToWide(ButtonFunctionLabel(slot.function));
        if (slot.function == kFunctionKey) what += L" " + Utf8ToWide(KeyComboName(slot.keyModifiers, slot.keyCode));
        if (slot.function == kFunctionMacro) what += L" \"" + MacroLabel(slot) + L"\"";
        wchar_t item[160];
        (void)swprintf(item, 160, format.c_str(), j + 1, what.c_str());
        (void)SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    (void)SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(buttonSlot_), 0);
    (void)SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    (void)InvalidateRect(list, nullptr, TRUE);

    const ButtonData& slot = profile.buttons[buttonSlot_];
    const auto offered = OfferedButtonFunctions();
    const auto found = std::find(offered.begin(), offered.end(), slot.function);
    (void)SendMessageW(Control(ID_BUTTON_FUNCTION), CB_SETCURSEL,
                       found != offered.end() ? static_cast<WPARAM>(found - offered.begin()) : static_cast<WPARAM>(-1),
                       0);
    const bool key = slot.function == kFunctionKey;
    const bool macro = slot.function == kFunctionMacro;
    const bool launch = slot.function == kFunctionLaunch;
    SetTextIfDifferent(Control(ID_BUTTON_KEY),
                       key ? Utf8ToWide(KeyComboName(slot.keyModifiers, slot.keyCode)) : Text(IDS_KEY_BOX_HINT));
    (void)EnableWindow(Control(ID_BUTTON_KEY), key);

    HWND macros = Control(ID_BUTTON_MACRO);
    ListMacroButtons(macros, profile, buttonSlot_);
    (void)EnableWindow(macros, macro);
    (void)EnableWindow(Control(ID_BUTTON_LAUNCH), launch);
    (void)EnableWindow(Control(ID_BUTTON_LAUNCH_BROWSE), launch);

    const ButtonBytes bytes = EncodeButtonAssignment(slot);
    SetTextIfDifferent(Control(ID_BUTTON_SENT), macro ? Format(IDS_BUTTON_SENT_MACRO, HexBytes(bytes, 2).c_str())
                                                      : Format(IDS_BUTTON_SENT, HexBytes(bytes, 3).c_str()));
}

void CCustomizerWnd::ListMacroButtons(HWND list, const ProfileData& profile, int selected) {
    (void)SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const std::wstring format = Text(IDS_BUTTON_ITEM);
    for (int j = 0; j < kButtonCount; ++j) {
        if (profile.buttons[j].function != kFunctionMacro) continue;
        wchar_t item[160];
        (void)swprintf(item, 160, format.c_str(), j + 1, MacroLabel(profile.buttons[j]).c_str());
        const auto at = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        (void)SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(at), j);
        if (j == selected) (void)SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    }
}

void CCustomizerWnd::ChooseMacroSlot() {
    const ProfileData& profile = session_.edited().profiles[editing_];
    if (macroSlot_ >= 0 && profile.buttons[macroSlot_].function != kFunctionMacro) macroSlot_ = -1;
    for (int j = 0; j < kButtonCount && macroSlot_ < 0; ++j) {
        if (profile.buttons[j].function == kFunctionMacro) macroSlot_ = j;
    }
}

void CCustomizerWnd::FillMacros() {
    const ShareData& image = session_.edited();
    const ProfileData& profile = image.profiles[editing_];
    ChooseMacroSlot();
    ListMacroButtons(Control(ID_MACRO_LIST), profile, macroSlot_);
    const bool any = macroSlot_ >= 0;
    for (const int id : {ID_MACRO_LIST, ID_MACRO_NAME, ID_MACRO_REPEAT, ID_MACRO_OPTION, ID_MACRO_STEPS,
                         ID_MACRO_RECORD, ID_MACRO_RECORDER, ID_STEP_INSERT, ID_STEP_DELETE, ID_STEP_UP, ID_STEP_DOWN,
                         ID_STEP_KEY, ID_STEP_STATE, ID_STEP_DELAY}) {
        (void)EnableWindow(Control(id), any);
    }
    HWND steps = Control(ID_MACRO_STEPS);
    (void)SendMessageW(steps, WM_SETREDRAW, FALSE, 0);
    (void)SendMessageW(steps, LB_RESETCONTENT, 0, 0);
    if (!any) {
        SetTextIfDifferent(Control(ID_MACRO_NAME_SENT), L"");
        SetTextIfDifferent(Control(ID_MACRO_LIMITS), Text(IDS_MACRO_NONE));
        SetTextIfDifferent(Control(ID_STEP_DELAY), L"");
        (void)SendMessageW(steps, WM_SETREDRAW, TRUE, 0);
        return;
    }
    const ButtonData& slot = profile.buttons[macroSlot_];
    const std::size_t kept = MacroNameKeptChars(slot.macroName, ToAnsiCodePage);
    const std::wstring name = MacroLabel(slot);
    SetTextIfDifferent(
        Control(ID_MACRO_NAME_SENT),
        Format(kept < name.size() ? IDS_MACRO_NAME_CUT : IDS_MACRO_NAME_SENT, name.substr(0, kept).c_str()));

    const MacroFit fit = FitMacro(slot);
    for (int i = 0; i < fit.steps; ++i) {
        const MacroEvent& event = slot.events[i];
        std::wstring line = std::to_wstring(i + 1) + L". " +
                            Text(event.state == 1 ? IDS_STEP_PRESS : IDS_STEP_RELEASE) + L" " +
                            Utf8ToWide(KeyName(event.key)) + L", pause " + std::to_wstring(event.delay) + L" ms";
        if (IsRounded(event)) line += L" (runs " + std::to_wstring(DelayAsRun(event)) + L" ms)";
        if (i >= fit.sentSteps) line += L" - cut, not sent";
        (void)SendMessageW(steps, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (stepSelected_ >= fit.steps) stepSelected_ = fit.steps - 1;
    (void)SendMessageW(steps, LB_SETCURSEL, static_cast<WPARAM>(stepSelected_), 0);
    (void)SendMessageW(steps, WM_SETREDRAW, TRUE, 0);
    (void)InvalidateRect(steps, nullptr, TRUE);

    const bool step = stepSelected_ >= 0;
    for (const int id : {ID_STEP_DELETE, ID_STEP_UP, ID_STEP_DOWN, ID_STEP_KEY, ID_STEP_STATE, ID_STEP_DELAY}) {
        (void)EnableWindow(Control(id), step);
    }
    if (step) {
        const MacroEvent& event = slot.events[stepSelected_];
        SetTextIfDifferent(Control(ID_STEP_KEY), Utf8ToWide(KeyName(event.key)));
        (void)SendMessageW(Control(ID_STEP_STATE), CB_SETCURSEL, event.state == 1 ? 0 : 1, 0);
        SetTextIfDifferent(Control(ID_STEP_DELAY), std::to_wstring(event.delay));
    } else {
        SetTextIfDifferent(Control(ID_STEP_KEY), L"");  // no step chosen
        (void)SendMessageW(Control(ID_STEP_STATE), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetTextIfDifferent(Control(ID_STEP_DELAY), L"");
    }

    std::wstring limits =
        Format(IDS_MACRO_SUMMARY, static_cast<int>(MacroButtons(image).size()), kMacroLimit, fit.steps, kMaxMacroEvents,
               fit.units, static_cast<int>(kMacroEntryAreaBytes / MacroLayout::kUnitBytes));
    for (const std::string& problem : MacroProblems(image, {editing_, macroSlot_}))
        limits += L"\n" + Utf8ToWide(problem);
    SetTextIfDifferent(Control(ID_MACRO_LIMITS), limits);
    SetTextIfDifferent(Control(ID_MACRO_RECORD), Text(recorder_.Recording() ? IDS_MACRO_STOP : IDS_MACRO_RECORD));
}

void CCustomizerWnd::FillLighting() {
    const ProfileData& profile = session_.edited().profiles[editing_];
    SetSwatch(ID_LIGHT_SWATCH_A, profile.lightColorA);
    SetSwatch(ID_LIGHT_SWATCH_B, profile.lightColorB);
    for (int slot = 0; slot < kLightSlotCount; ++slot) {
        SetSwatch(ID_LIGHT_SLOT_SWATCH + slot, profile.lightSlotColor[slot]);
    }
    HWND copyTarget = Control(ID_COPY_TARGET);
    auto target = SendMessageW(copyTarget, CB_GETCURSEL, 0, 0);
    if (target < 0 || target == editing_) target = (editing_ + 1) % kProfileCount;  // another profile
    (void)SendMessageW(copyTarget, CB_RESETCONTENT, 0, 0);
    const ShareData& image = session_.edited();
    for (int k = 0; k < kProfileCount; ++k) {
        const std::wstring name = ToWide(std::u16string(image.profiles[k].profileName));
        (void)SendMessageW(copyTarget, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(Format(IDS_PROFILE_ITEM, k + 1, name.c_str()).c_str()));
    }
    (void)SendMessageW(copyTarget, CB_SETCURSEL, static_cast<WPARAM>(target), 0);
}

// --- Controls to the session -----------------------------------------------------

bool CCustomizerWnd::OnSlotControl(int id, int code, HWND control) {
    const ProfileData& profile = session_.edited().profiles[editing_];
    if (id == ID_BUTTON_LIST && code == LBN_SELCHANGE) {
        const int selected = SelectedIndex(control, LB_GETCURSEL);
        if (selected >= 0 && selected < kButtonCount) buttonSlot_ = selected;
        Fill();
        return true;
    }
    if (id == ID_BUTTON_FUNCTION && code == CBN_SELCHANGE) {
        const int selected = SelectedIndex(control, CB_GETCURSEL);
        const auto offered = OfferedButtonFunctions();
        if (selected < 0 || static_cast<std::size_t>(selected) >= offered.size()) return true;
        if (offered[selected] == kFunctionMacro) macroSlot_ = buttonSlot_;  // the Macros page opens on it
        StoreValue(*ProfileField(editing_, "buttons[" + std::to_string(buttonSlot_) + "].function"),
                   std::int64_t{offered[selected]});
        return true;
    }
    if (id == ID_BUTTON_MACRO && code == CBN_SELCHANGE) {
        const int selected = SelectedIndex(control, CB_GETCURSEL);
        if (selected < 0) return true;
        const int from = static_cast<int>(SendMessageW(control, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
        if (from < 0 || from >= kButtonCount || from == buttonSlot_) return true;
        // A button plays the macro its own slot holds: choosing another
        // button's macro copies it here.
        ButtonData copy = profile.buttons[buttonSlot_];
        const ButtonData& source = profile.buttons[from];
        copy.macroOption = source.macroOption;
        copy.macroRepeat = source.macroRepeat;
        std::copy(std::begin(source.macroName), std::end(source.macroName), std::begin(copy.macroName));
        copy.eventCount = source.eventCount;
        std::copy(std::begin(source.events), std::end(source.events), std::begin(copy.events));
        StoreSlot(buttonSlot_, copy);
        Status(Format(IDS_STATUS_MACRO_COPIED, buttonSlot_ + 1, from + 1));
        return true;
    }
    if (code == BN_CLICKED) {
        switch (id) {
            case ID_BUTTON_LAUNCH_BROWSE:
                BrowseLaunchProgram();
                return true;
            case ID_MACRO_RECORD:
                if (recorder_.Recording()) {
                    StopRecording(IDS_STATUS_RECORDED);
                } else {
                    StartRecording();
                }
                return true;
            case ID_STEP_INSERT:
                EditSteps(
                    [&](ButtonData& slot, int at) {
                        const MacroEvent step = at >= 0 ? slot.events[at] : MacroEvent{0x04, 1, 50};
                        if (InsertStep(slot, at + 1, step)) return true;
                        Status(Text(IDS_STATUS_MACRO_FULL));
                        return false;
                    },
                    stepSelected_ + 1);
                return true;
            case ID_STEP_DELETE:
                EditSteps([](ButtonData& slot, int at) { return DeleteStep(slot, at); }, stepSelected_);
                return true;
            case ID_STEP_UP:
                EditSteps([](ButtonData& slot, int at) { return MoveStep(slot, at, at - 1); }, stepSelected_ - 1);
                return true;
            case ID_STEP_DOWN:
                EditSteps([](ButtonData& slot, int at) { return MoveStep(slot, at, at + 1); }, stepSelected_ + 1);
                return true;
            case ID_LIGHT_PICK_A:
                PickColor(*ProfileField(editing_, "lightColorA"));
                return true;
            case ID_LIGHT_PICK_B:
                PickColor(*ProfileField(editing_, "lightColorB"));
                return true;
            case ID_COPY_PROFILE:
                CopyProfileTo();
                return true;
            case ID_RESET_PROFILE:
            case ID_RESET_ALL:
                ResetProfiles(id == ID_RESET_ALL);
                return true;
            case ID_CONFIG_BROWSE:
                BrowseConfigFile();
                return true;
            case ID_IMPORT:
                (void)ImportFile();  // it shows what happened
                return true;
            case ID_EXPORT:
                ExportFile();
                return true;
            default:
                break;
        }
        if (id >= ID_LIGHT_SLOT_PICK && id < ID_LIGHT_SLOT_PICK + kLightSlotCount) {
            PickColor(*ProfileField(editing_, "lightSlotColor", id - ID_LIGHT_SLOT_PICK));
            return true;
        }
        return false;
    }
    if (id == ID_MACRO_LIST && code == CBN_SELCHANGE) {
        const int selected = SelectedIndex(control, CB_GETCURSEL);
        if (selected >= 0) {
            macroSlot_ = static_cast<int>(SendMessageW(control, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
            stepSelected_ = -1;
        }
        Fill();
        return true;
    }
    if (id == ID_MACRO_STEPS && code == LBN_SELCHANGE) {
        stepSelected_ = SelectedIndex(control, LB_GETCURSEL);
        Fill();
        return true;
    }
    if (id == ID_STEP_STATE && code == CBN_SELCHANGE) {
        const bool press = SelectedIndex(control, CB_GETCURSEL) == 0;
        EditSteps(
            [&](ButtonData& slot, int at) {
                slot.events[at].state = press ? 1 : 0;
                return true;
            },
            stepSelected_);
        return true;
    }
    if (id == ID_STEP_DELAY && code == EN_CHANGE) {
        const TypedValue typed = ParseTyped(
            *ProfileField(editing_, "buttons[" + std::to_string(std::max(macroSlot_, 0)) + "].events[0].delay"),
            ToU16(WindowText(control)));
        if (!typed.value) {
            Refuse(typed.refusal);
            return true;
        }
        const auto delay = static_cast<std::uint16_t>(std::get<std::int64_t>(*typed.value));
        EditSteps(
            [&](ButtonData& slot, int at) {
                slot.events[at].delay = delay;
                return true;
            },
            stepSelected_);
        return true;
    }
    if (id == ID_STEP_DELAY && code == EN_KILLFOCUS) {
        filling_ = true;
        FillMacros();
        filling_ = false;
        return true;
    }
    return false;
}

LRESULT CCustomizerWnd::OnKey(WPARAM wParam, LPARAM lParam) {
    const KeyStroke key{static_cast<unsigned>(lParam & 0xFF), static_cast<unsigned>((lParam >> 8) & 0xFF),
                        (lParam & kExtendedBit) != 0};
    const bool up = (lParam & kKeyUpBit) != 0;
    switch (static_cast<int>(wParam)) {
        case ID_BUTTON_KEY:
            KeyForButton(key, up);
            break;
        case ID_STEP_KEY:
            KeyForStep(key, up);
            break;
        case ID_MACRO_RECORDER:
            // Recording lasts while the recorder has the focus; the Record
            // button's own click stops it when the focus goes there.
            if (key.virtualKey == 0) {
                if (up && recorder_.Recording() && (lParam >> kFocusTakerShift) != ID_MACRO_RECORD) {
                    StopRecording(IDS_STATUS_RECORDED);
                }
                break;
            }
            KeyForRecorder(key, up);
            break;
        default:
            break;
    }
    return 0;
}

std::optional<std::uint8_t> CCustomizerWnd::UsageOrRefusal(const KeyStroke& key) {
    const std::optional<std::uint8_t> usage = HidUsageOfKey(key);
    if (!usage) Refuse(KeyCapture().KeyDown(key).refusal);
    return usage;
}

void CCustomizerWnd::Refuse(const std::string& reason) {
    Status(Format(IDS_STATUS_REFUSED, Utf8ToWide(reason).c_str()));
    MessageBeep(MB_ICONWARNING);
}

void CCustomizerWnd::KeyForButton(const KeyStroke& key, bool up) {
    if (key.virtualKey == 0) {  // focus came or went
        keyCapture_.Reset();
        return;
    }
    const KeyCapture::Result result = up ? keyCapture_.KeyUp(key) : keyCapture_.KeyDown(key);
    if (!result.refusal.empty()) {
        Refuse(result.refusal);
        return;
    }
    if (!result.captured) return;
    ButtonData slot = session_.edited().profiles[editing_].buttons[buttonSlot_];
    if (slot.function != kFunctionKey) {
        Status(Text(IDS_STATUS_NOT_A_KEY_BUTTON));
        return;
    }
    slot.keyModifiers = result.modifiers;
    slot.keyCode = result.keyCode;
    StoreSlot(buttonSlot_, slot);
    Status(Format(IDS_STATUS_KEY_TAKEN, Utf8ToWide(KeyComboName(result.modifiers, result.keyCode)).c_str()));
}

void CCustomizerWnd::KeyForStep(const KeyStroke& key, bool up) {
    if (key.virtualKey == 0 || up) return;
    const std::optional<std::uint8_t> usage = UsageOrRefusal(key);
    if (!usage) return;
    EditSteps(
        [&](ButtonData& slot, int at) {
            slot.events[at].key = *usage;
            return true;
        },
        stepSelected_);
}

void CCustomizerWnd::KeyForRecorder(const KeyStroke& key, bool up) {
    if (!recorder_.Recording() || macroSlot_ < 0) return;
    const std::optional<std::uint8_t> usage = UsageOrRefusal(key);
    if (!usage) return;
    const MacroRecorder::Outcome outcome = recorder_.Key(*usage, !up, GetTickCount64());
    if (outcome == MacroRecorder::Outcome::kIgnored) return;
    ButtonData slot = session_.edited().profiles[editing_].buttons[macroSlot_];
    StoreSteps(slot, recorder_.Steps());
    stepSelected_ = -1;
    StoreSlot(macroSlot_, slot);
    if (outcome == MacroRecorder::Outcome::kFull) StopRecording(IDS_STATUS_RECORD_FULL);
}

void CCustomizerWnd::StartRecording() {
    if (macroSlot_ < 0) return;
    recorder_.Start(GetTickCount64());
    SetTextIfDifferent(Control(ID_MACRO_RECORD), Text(IDS_MACRO_STOP));
    Status(Text(IDS_STATUS_RECORDING));
    (void)SetFocus(Control(ID_MACRO_RECORDER));
}

void CCustomizerWnd::StopRecording(UINT statusId) {
    recorder_.Stop();
    SetTextIfDifferent(Control(ID_MACRO_RECORD), Text(IDS_MACRO_RECORD));
    Status(Format(statusId, static_cast<int>(recorder_.Steps().size())));
}

void CCustomizerWnd::StoreSlot(int slot, const ButtonData& data) {
    auto image = std::make_unique<ShareData>(session_.edited());
    image->profiles[editing_].buttons[slot] = data;
    session_.ReplaceEdited(*image);
    Fill();
}

void CCustomizerWnd::EditSteps(const std::function<bool(ButtonData&, int)>& edit, int selectAfter) {
    if (macroSlot_ < 0) return;
    ButtonData slot = session_.edited().profiles[editing_].buttons[macroSlot_];
    const bool needsStep = stepSelected_ >= 0 && stepSelected_ < std::min<int>(slot.eventCount, kMaxMacroEvents);
    if (!needsStep && selectAfter != stepSelected_ + 1) return;  // only an insert works without a step
    if (!edit(slot, needsStep ? stepSelected_ : -1)) return;
    stepSelected_ = std::clamp(selectAfter, -1, std::min<int>(slot.eventCount, kMaxMacroEvents) - 1);
    StoreSlot(macroSlot_, slot);
}

// --- Whole profiles ----------------------------------------------------------------

void CCustomizerWnd::CopyProfileTo() {
    const int target = SelectedIndex(Control(ID_COPY_TARGET), CB_GETCURSEL);
    if (target < 0 || target >= kProfileCount || target == editing_) return;
    auto image = std::make_unique<ShareData>(session_.edited());
    CopyProfile(*image, editing_, target);
    session_.ReplaceEdited(*image);
    Fill();
    Status(Format(IDS_STATUS_COPIED, editing_ + 1, target + 1));
}

void CCustomizerWnd::ResetProfiles(bool all) {
    const std::wstring question = all ? Text(IDS_CONFIRM_RESET_ALL) : Format(IDS_CONFIRM_RESET_PROFILE, editing_ + 1);
    if (MessageBoxW(m_hWnd, question.c_str(), Text(IDS_SAVE_FAILED_TITLE).c_str(),
                    MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) != IDOK) {
        return;
    }
    auto image = std::make_unique<ShareData>(session_.edited());
    if (all) {
        ResetAll(*image);
    } else {
        ResetProfile(*image, editing_);
    }
    session_.ReplaceEdited(*image);
    Fill();
    Status(Text(IDS_STATUS_RESET));
}

void CCustomizerWnd::ImportAtStart(const std::wstring& path, bool ok) {
    (void)SetWindowTextW(Control(ID_CONFIG_FILE), path.c_str());
    if (!ImportFile()) {
        ShowPage(0);  // where the refused lines are listed
        return;
    }
    if (ok) (void)OnOk(0, 0);
}

bool CCustomizerWnd::ImportFile() {
    const std::wstring path = WindowText(Control(ID_CONFIG_FILE));
    if (path.empty()) {
        Status(Text(IDS_STATUS_NO_FILE_NAME));
        return false;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(path);
    if (!bytes) {
        Status(Format(IDS_STATUS_FILE_UNREAD, path.c_str()));
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    auto image = std::make_unique<ShareData>(session_.edited());
    const ImportReport report =
        ImportConfiguration(*image, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    std::wstring lines;
    for (const std::string& refusal : report.refusals) lines += Utf8ToWide(refusal) + L"\r\n";
    (void)SetWindowTextW(Control(ID_IMPORT_REPORT), lines.c_str());
    if (!report.refusals.empty()) {
        Status(Format(IDS_STATUS_IMPORT_REFUSED, static_cast<int>(report.refusals.size()), path.c_str()));
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    session_.ReplaceEdited(*image);
    Fill();
    Status(Format(IDS_STATUS_IMPORTED, path.c_str(), report.changedFields));
    return true;
}

void CCustomizerWnd::ExportFile() {
    const std::wstring path = WindowText(Control(ID_CONFIG_FILE));
    if (path.empty()) {
        Status(Text(IDS_STATUS_NO_FILE_NAME));
        return;
    }
    const std::string text = ExportConfiguration(session_.edited());
    FileError error;
    if (!SaveFileReplacing(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error)) {
        Status(Format(IDS_STATUS_SAVE_FAILED, error.Text().c_str()));
        MessageBeep(MB_ICONWARNING);
        return;
    }
    Status(Format(IDS_STATUS_EXPORTED, path.c_str()));
}

void CCustomizerWnd::BrowseConfigFile() {
    // The save dialog: the file may be new (Export) or old (Import).
    BrowseFile(ID_CONFIG_FILE, IDS_CONFIG_FILTER, MAX_PATH, true);
}

void CCustomizerWnd::BrowseLaunchProgram() {
    // Stored as it is, never quoted: the host opens the whole text as one file.
    BrowseFile(ID_BUTTON_LAUNCH, IDS_PROGRAM_FILTER, kLaunchPathChars, false);
}

}  // namespace korvid
