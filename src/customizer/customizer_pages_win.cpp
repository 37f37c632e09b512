// The customizer's controls: building them at 96-DPI positions scaled to the
// window's DPI, and showing the session in them; a changed control turns into
// a checked value for the session here.
#include <windows.h>
// After <windows.h>:
#include <commctrl.h>
#include <commdlg.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>
#include <vector>

#include "base/child_window_win.h"
#include "base/unique_resource_win.h"
#include "base/wide_text_win.h"
#include "customizer/customizer_wnd_win.h"
#include "customizer/page_controls_win.h"
#include "customizer/resolution.h"
#include "customizer/string_ids.h"
#include "inspect/config_text.h"
#include "runtime/pointer_settings_win.h"

namespace korvid {
namespace {

constexpr wchar_t kPageClass[] = L"KorvidCustomizerPage";

// A page (a child of the tab control) passes what its controls report up to
// the main window.
LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
        case WM_ERASEBKGND: {
            RECT client;
            (void)GetClientRect(hwnd, &client);
            (void)FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            return TRUE;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void RegisterPageClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PageProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPageClass;
    (void)RegisterClassExW(&wc);  // registered already on a second window: fine
}

using namespace page;

}  // namespace

HWND CCustomizerWnd::Add(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id, RECT dip,
                         DWORD exStyle) {
    HWND control =
        CreateWindowExW(exStyle, className, text.c_str(), style, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr) {
        placed_.push_back({control, dip});
        controls_[id] = control;
    }
    return control;
}

HWND CCustomizerWnd::Control(int id) const {
    const auto found = controls_.find(id);
    return found != controls_.end() ? found->second : FindDescendant(m_hWnd, id);
}

void CCustomizerWnd::CreateControls() {
    INITCOMMONCONTROLSEX init{sizeof init,
                              ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&init);
    RegisterPageClass();

    Add(m_hWnd, WC_STATICW, Text(IDS_EDIT_PROFILE), kLabel, ID_EDIT_PROFILE_LABEL, R(12, 14, 90, 20));
    Add(m_hWnd, WC_COMBOBOXW, L"", kList, ID_EDIT_PROFILE, R(106, 10, 300, 200));
    // The pages are children of the tab control, so they lie above its body;
    // Tab walks into the shown page, Ctrl+Tab turns the pages.
    tabs_ = Add(m_hWnd, WC_TABCONTROLW, L"", kTab | WS_CLIPCHILDREN, ID_TABS, R(12, 42, 576, 326), WS_EX_CONTROLPARENT);
    const UINT tabTexts[kPageCount] = {IDS_TAB_PROFILES, IDS_TAB_DPI,      IDS_TAB_POINTER,
                                       IDS_TAB_PROGRAM,  IDS_TAB_DEVICE,   IDS_TAB_BUTTONS,
                                       IDS_TAB_MACROS,   IDS_TAB_LIGHTING, IDS_TAB_OSD};
    for (int i = 0; i < kPageCount; ++i) {
        std::wstring text = Text(tabTexts[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        (void)SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void CCustomizerWnd::CreatePages() {
    const RECT pageRect = R(8, 32, 560, 288);  // inside the tab control, below the tabs
    for (int i = 0; i < kPageCount; ++i) {
        pages_[i] = Add(tabs_, kPageClass, L"", WS_CHILD, ID_PAGE_PROFILES + i, pageRect, WS_EX_CONTROLPARENT);
    }

    HWND page = pages_[0];
    Add(page, WC_STATICW, L"", kLabel, ID_ACTIVE_PROFILE_TEXT, R(8, 10, 540, 20));
    Add(page, WC_BUTTONW, Text(IDS_MAKE_ACTIVE), kButton, ID_MAKE_ACTIVE, R(8, 36, 260, 26));
    Add(page, WC_STATICW, Text(IDS_PROFILE_NAME), kLabel, ID_PROFILE_NAME_LABEL, R(8, 84, 60, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_PROFILE_NAME, R(72, 81, 300, 23));

    page = pages_[1];
    Add(page, WC_STATICW, Text(IDS_HEADER_X), kLabel, ID_DPI_HEADER_X, R(110, 4, 130, 18));
    Add(page, WC_STATICW, Text(IDS_HEADER_Y), kLabel, ID_DPI_HEADER_Y, R(250, 4, 130, 18));
    Add(page, WC_STATICW, Text(IDS_HEADER_COLOR), kLabel, ID_DPI_HEADER_COLOR, R(390, 4, 100, 18));
    Add(page, WC_STATICW, Text(IDS_HEADER_CURRENT), kLabel, ID_DPI_HEADER_CURRENT, R(494, 4, 60, 18));
    for (int stage = 0; stage < kStageCount; ++stage) {
        const int y = 24 + 30 * stage;
        wchar_t label[32];
        (void)swprintf(label, 32, Text(IDS_STAGE).c_str(), stage + 1);
        Add(page, WC_BUTTONW, label, kCheck, ID_STAGE_ENABLED + stage, R(8, y + 2, 96, 22));
        Add(page, WC_COMBOBOXW, L"", kList, ID_STAGE_X + stage, R(110, y, 130, 300));
        Add(page, WC_COMBOBOXW, L"", kList, ID_STAGE_Y + stage, R(250, y, 130, 300));
        Add(page, WC_STATICW, L"", kChild | SS_SUNKEN, ID_STAGE_SWATCH + stage, R(390, y + 3, 22, 18));
        Add(page, WC_BUTTONW, Text(IDS_COLOR_BUTTON), kButton, ID_STAGE_COLOR + stage, R(418, y, 70, 24));
        Add(page, WC_BUTTONW, L"", kRadio, ID_STAGE_CURRENT + stage, R(510, y + 2, 22, 22));
    }
    Add(page, WC_BUTTONW, Text(IDS_LINK_XY), kCheck, ID_LINK_XY, R(8, 266, 300, 20));

    page = pages_[2];
    Add(page, WC_STATICW, Text(IDS_POINTER_SPEED), kLabel, ID_POINTER_SPEED_LABEL, R(8, 12, 200, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_POINTER_SPEED, R(214, 9, 60, 23));
    Add(page, WC_BUTTONW, Text(IDS_POINTER_ACCEL), kCheck, ID_POINTER_ACCEL, R(8, 42, 300, 22));
    Add(page, WC_STATICW, Text(IDS_DOUBLE_CLICK), kLabel, ID_DOUBLE_CLICK_LABEL, R(8, 78, 200, 20));
    Add(page, WC_COMBOBOXW, L"", kList, ID_DOUBLE_CLICK, R(214, 74, 120, 300));
    Add(page, WC_BUTTONW, Text(IDS_WHEEL_LINES_MODE), kRadio, ID_WHEEL_LINES_MODE, R(8, 112, 200, 22));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_WHEEL_LINES, R(214, 111, 60, 23));
    Add(page, WC_BUTTONW, Text(IDS_WHEEL_PAGE_MODE), kRadio, ID_WHEEL_PAGE_MODE, R(8, 142, 320, 22));
    Add(page, WC_BUTTONW, Text(IDS_POINTER_CAPTURE), kButton, ID_POINTER_CAPTURE, R(8, 186, 280, 26));

    page = pages_[3];
    Add(page, WC_STATICW, Text(IDS_PROGRAM_PATH), kLabel, ID_PROGRAM_PATH_LABEL, R(8, 8, 540, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_PROGRAM_PATH, R(8, 30, 540, 23));
    Add(page, WC_BUTTONW, Text(IDS_PROGRAM_BROWSE), kButton, ID_PROGRAM_BROWSE, R(8, 62, 100, 26));
    Add(page, WC_BUTTONW, Text(IDS_PROGRAM_CLEAR), kButton, ID_PROGRAM_CLEAR, R(116, 62, 100, 26));
    Add(page, WC_STATICW, Text(IDS_PROGRAM_HINT), kLabel, ID_PROGRAM_HINT, R(226, 66, 322, 20));
    Add(page, WC_STATICW, Text(IDS_PROGRAM_RUNNING), kLabel, ID_PROGRAM_RUNNING_LABEL, R(8, 106, 300, 20));
    Add(page, WC_COMBOBOXW, L"", kList | CBS_SORT, ID_PROGRAM_RUNNING, R(8, 128, 440, 300));
    Add(page, WC_BUTTONW, Text(IDS_PROGRAM_REFRESH), kButton, ID_PROGRAM_REFRESH, R(456, 127, 92, 26));

    page = pages_[4];
    Add(page, WC_STATICW, Text(IDS_OPTION07), kLabel, ID_OPTION07_LABEL, R(8, 12, 390, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_OPTION07, R(404, 9, 60, 23));
    Add(page, WC_STATICW, Text(IDS_PROFILE_OPTION), kLabel, ID_PROFILE_OPTION_LABEL, R(8, 44, 390, 20));
    Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_PROFILE_OPTION, R(404, 41, 60, 23));
    const UINT dpiOptionTexts[] = {IDS_DPI_OPTION_A, IDS_DPI_OPTION_B, IDS_DPI_OPTION_C, IDS_DPI_OPTION_D};
    for (int i = 0; i < 4; ++i) {
        Add(page, WC_STATICW, Text(dpiOptionTexts[i]), kLabel, ID_DPI_OPTION_LABEL + i, R(8, 76 + 32 * i, 390, 20));
        Add(page, WC_EDITW, L"", kEdit | WS_BORDER, ID_DPI_OPTION_A + i, R(404, 73 + 32 * i, 60, 23));
    }
    Add(page, WC_STATICW, Text(IDS_DEVICE_HINT), kLabel, ID_DEVICE_HINT, R(8, 210, 540, 60));

    CreateSlotPages();

    CreateOsdPage(pages_[ID_PAGE_OSD - ID_PAGE_PROFILES]);

    // The notice line, the progress bar, the buttons and the status bar.
    Add(m_hWnd, WC_STATICW, L"", kLabel, ID_NOTICE, R(12, 380, 300, 20));
    Add(m_hWnd, WC_BUTTONW, Text(IDS_RESTORE_DRAFT), kButton, ID_RESTORE_DRAFT, R(316, 376, 130, 26));
    Add(m_hWnd, WC_BUTTONW, Text(IDS_DISCARD_DRAFT), kButton, ID_DISCARD_DRAFT, R(454, 376, 130, 26));
    Add(m_hWnd, WC_BUTTONW, Text(IDS_START_HOST), kButton, ID_START_HOST, R(454, 376, 130, 26));
    progress_ = Add(m_hWnd, PROGRESS_CLASSW, L"", WS_CHILD, ID_PROGRESS, R(12, 414, 250, 18));
    Add(m_hWnd, WC_BUTTONW, Text(IDS_OK), kTab | BS_DEFPUSHBUTTON, ID_OK, R(328, 410, 80, 26));
    Add(m_hWnd, WC_BUTTONW, Text(IDS_CANCEL), kButton, ID_CANCEL, R(416, 410, 80, 26));
    Add(m_hWnd, WC_BUTTONW, Text(IDS_APPLY), kButton, ID_APPLY, R(504, 410, 84, 26));
    status_ =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_STATUS)), GetModuleHandleW(nullptr), nullptr);
    ShowNotice(0, false, false);

    // The lists that never change.
    const auto addNumbers = [](HWND list, const std::wstring& format, const auto& numbers) {
        (void)SendMessageW(list, CB_INITSTORAGE, numbers.size(), numbers.size() * 16 * sizeof(wchar_t));
        for (const int number : numbers) {
            wchar_t item[32];
            (void)swprintf(item, 32, format.c_str(), number);
            (void)SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
    };
    const std::wstring dpiFormat = Text(IDS_DPI_ITEM);
    for (int stage = 0; stage < kStageCount; ++stage) {
        addNumbers(Control(ID_STAGE_X + stage), dpiFormat, OfferedDpis());
        addNumbers(Control(ID_STAGE_Y + stage), dpiFormat, OfferedDpis());
    }
    std::vector<int> doubleClickMs;
    for (const int step : DoubleClickSteps()) doubleClickMs.push_back(DoubleClickMs(step));
    addNumbers(Control(ID_DOUBLE_CLICK), Text(IDS_DOUBLE_CLICK_ITEM), doubleClickMs);
    (void)SendMessageW(Control(ID_PROFILE_NAME), EM_LIMITTEXT, kProfileNameChars - 1, 0);
    (void)SendMessageW(Control(ID_PROGRAM_PATH), EM_LIMITTEXT, kProgramPathChars - 1, 0);
    ShowPage(0);
}

void CCustomizerWnd::ApplyFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_)) {
        (void)SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi_), 96);
    }
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (font == nullptr) return;
    for (const Placed& placed : placed_)
        (void)SendMessageW(placed.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (status_ != nullptr) (void)SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (font_ != nullptr) (void)DeleteObject(font_);
    font_ = font;
}

void CCustomizerWnd::Layout() {
    for (const Placed& placed : placed_) {
        const RECT& r = placed.dip;
        (void)SetWindowPos(placed.hwnd, nullptr, Scale(r.left), Scale(r.top), Scale(r.right - r.left),
                           Scale(r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (status_ != nullptr) (void)SendMessageW(status_, WM_SIZE, 0, 0);
    (void)InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CCustomizerWnd::ShowPage(int page) {
    // The running programs are listed when the page is first shown: the
    // snapshot of every process costs more than the rest of the start.
    if (page == ID_PAGE_PROGRAM - ID_PAGE_PROFILES && !runningListed_) {
        runningListed_ = true;
        FillRunningPrograms();
    }
    for (int i = 0; i < kPageCount; ++i) (void)ShowWindow(pages_[i], i == page ? SW_SHOW : SW_HIDE);
    (void)SendMessageW(tabs_, TCM_SETCURSEL, page, 0);
}

void CCustomizerWnd::ShowNotice(UINT textId, bool draftButtons, bool hostButton) {
    const std::wstring text = textId != 0 ? Text(textId) : std::wstring();
    (void)SetWindowTextW(Control(ID_NOTICE), text.c_str());
    (void)ShowWindow(Control(ID_RESTORE_DRAFT), draftButtons ? SW_SHOW : SW_HIDE);
    (void)ShowWindow(Control(ID_DISCARD_DRAFT), draftButtons ? SW_SHOW : SW_HIDE);
    (void)ShowWindow(Control(ID_START_HOST), hostButton && !draftButtons ? SW_SHOW : SW_HIDE);
}

// --- Showing the session -------------------------------------------------------

void CCustomizerWnd::Fill() {
    filling_ = true;
    FillProfileChoices();
    const ShareData& image = session_.edited();
    const ProfileData& profile = image.profiles[editing_];

    const std::wstring activeName = ToWide(std::u16string(image.profiles[image.activeProfile].profileName));
    (void)SetWindowTextW(Control(ID_ACTIVE_PROFILE_TEXT),
                         Format(IDS_ACTIVE_PROFILE, image.activeProfile + 1, activeName.c_str()).c_str());
    (void)EnableWindow(Control(ID_MAKE_ACTIVE), image.activeProfile != editing_);

    // X and Y stay linked while every stage has them equal.
    bool equal = true;
    for (int stage = 0; stage < kStageCount; ++stage) equal = equal && profile.dpiX[stage] == profile.dpiY[stage];
    if (!equal) linkXY_ = false;
    (void)SendMessageW(Control(ID_LINK_XY), BM_SETCHECK, linkXY_ ? BST_CHECKED : BST_UNCHECKED, 0);

    ChooseMacroSlot();  // the macro fields below are of that slot
    for (const Binding& binding : Bindings()) FillBound(binding);

    for (int stage = 0; stage < kStageCount; ++stage) {
        (void)EnableWindow(Control(ID_STAGE_Y + stage), !linkXY_);
        (void)SendMessageW(Control(ID_STAGE_CURRENT + stage), BM_SETCHECK,
                           profile.currentStage == stage ? BST_CHECKED : BST_UNCHECKED, 0);
        SetSwatch(ID_STAGE_SWATCH + stage, profile.stageColor[stage]);
    }
    (void)SendMessageW(Control(ID_WHEEL_LINES_MODE), BM_SETCHECK,
                       profile.wheelScrollPage == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    (void)EnableWindow(Control(ID_WHEEL_LINES), profile.wheelScrollPage == 0);
    FillSlotPages();
    filling_ = false;
}

const Field* CCustomizerWnd::BoundField(const Binding& binding) const {
    switch (binding.scope) {
        case BindingScope::kProfile:
            return FieldOf(binding, editing_);
        case BindingScope::kButton:
            return FieldOf(binding, editing_, buttonSlot_);
        case BindingScope::kMacro:
            return macroSlot_ >= 0 ? FieldOf(binding, editing_, macroSlot_) : nullptr;
    }
    return nullptr;
}

void CCustomizerWnd::FillBound(const Binding& binding) {
    const Field* field = BoundField(binding);
    HWND control = Control(binding.controlId);
    if (control == nullptr) return;
    if (field == nullptr) {
        SetTextIfDifferent(control, L"");
        return;
    }
    const FieldValue value = session_.Get(*field);
    switch (binding.kind) {
        case BindingKind::kNumber:
            SetTextIfDifferent(control, std::to_wstring(std::get<std::int64_t>(value)));
            break;
        case BindingKind::kText:
            SetTextIfDifferent(control, ToWide(std::get<std::u16string>(value)));
            break;
        case BindingKind::kCheck:
            (void)SendMessageW(control, BM_SETCHECK, std::get<std::int64_t>(value) != 0 ? BST_CHECKED : BST_UNCHECKED,
                               0);
            break;
        case BindingKind::kDpi: {
            const auto& dpis = OfferedDpis();
            const auto dpi = DpiOfIndex(std::get<std::int64_t>(value));
            const auto found = dpi ? std::find(dpis.begin(), dpis.end(), *dpi) : dpis.end();
            // An index the list does not hold (63: two indexes share a value)
            // shows blank rather than as another index.
            const bool exact = found != dpis.end() && IndexOfDpi(*found) == std::get<std::int64_t>(value);
            (void)SendMessageW(control, CB_SETCURSEL, exact ? found - dpis.begin() : -1, 0);
            break;
        }
        case BindingKind::kMode:
            (void)SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(std::get<std::int64_t>(value)), 0);
            break;
        case BindingKind::kColor: {
            const std::string text = FormatValue(*field, value);
            SetTextIfDifferent(control, std::wstring(text.begin(), text.end()));
            break;
        }
        case BindingKind::kDoubleClick: {
            const auto steps = DoubleClickSteps();
            const auto found = std::find(steps.begin(), steps.end(), std::get<std::int64_t>(value));
            (void)SendMessageW(control, CB_SETCURSEL, found != steps.end() ? found - steps.begin() : -1, 0);
            break;
        }
    }
}

void CCustomizerWnd::FillProfileChoices() {
    HWND list = Control(ID_EDIT_PROFILE);
    (void)SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const ShareData& image = session_.edited();
    for (int k = 0; k < kProfileCount; ++k) {
        const std::wstring name = ToWide(std::u16string(image.profiles[k].profileName));
        const std::wstring item =
            Format(k == image.activeProfile ? IDS_PROFILE_ITEM_ACTIVE : IDS_PROFILE_ITEM, k + 1, name.c_str());
        (void)SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    (void)SendMessageW(list, CB_SETCURSEL, editing_, 0);
}

void CCustomizerWnd::FillRunningPrograms() {
    HWND list = Control(ID_PROGRAM_RUNNING);
    (void)SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    std::set<std::wstring> paths;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        wchar_t path[MAX_PATH];
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process.get(), 0, path, &size)) paths.insert(path);
    }
    for (const std::wstring& path : paths) {
        (void)SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
}

// --- Controls to the session -----------------------------------------------------

void CCustomizerWnd::OnControl(int id, int code, HWND control) {
    if (filling_) return;
    if (id == ID_OSD_SAVE && code == BN_CLICKED) {
        SaveOsdPage();
        return;
    }
    if (OnSlotControl(id, code, control)) return;
    const ShareData& image = session_.edited();
    if (id == ID_EDIT_PROFILE && code == CBN_SELCHANGE) {
        const auto selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (selected >= 0 && selected < kProfileCount) editing_ = static_cast<int>(selected);
        macroSlot_ = -1;  // the new profile's first macro
        stepSelected_ = -1;
        linkXY_ = true;
        Fill();
        return;
    }
    if (code == BN_CLICKED) {
        if (id == ID_MAKE_ACTIVE) {
            StoreValue(*FindField("activeProfile"), std::int64_t{editing_});
        } else if (id >= ID_STAGE_CURRENT && id < ID_STAGE_CURRENT + kStageCount) {
            StoreValue(*ProfileField(editing_, "currentStage"), std::int64_t{id - ID_STAGE_CURRENT});
        } else if (id >= ID_STAGE_COLOR && id < ID_STAGE_COLOR + kStageCount) {
            PickColor(*ProfileField(editing_, "stageColor", id - ID_STAGE_COLOR));
        } else if (id == ID_LINK_XY) {
            linkXY_ = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (linkXY_) {
                for (int stage = 0; stage < kStageCount; ++stage) {
                    StoreValue(*FieldOf(*FindBinding(ID_STAGE_Y + stage), editing_),
                               std::int64_t{image.profiles[editing_].dpiX[stage]}, false);
                }
            }
            Fill();
        } else if (id == ID_WHEEL_LINES_MODE) {
            StoreValue(*FieldOf(*FindBinding(ID_WHEEL_PAGE_MODE), editing_), std::int64_t{0});
        } else if (id == ID_WHEEL_PAGE_MODE) {
            StoreValue(*FieldOf(*FindBinding(ID_WHEEL_PAGE_MODE), editing_), std::int64_t{1});
        } else if (id == ID_POINTER_CAPTURE) {
            CaptureWindowsPointer();
        } else if (id == ID_PROGRAM_BROWSE) {
            BrowseProgram();
        } else if (id == ID_PROGRAM_CLEAR) {
            (void)SetWindowTextW(Control(ID_PROGRAM_PATH), L"");  // its EN_CHANGE stores it
        } else if (id == ID_PROGRAM_REFRESH) {
            FillRunningPrograms();
        } else if (const Binding* binding = FindBinding(id); binding && binding->kind == BindingKind::kCheck) {
            StoreValue(*BoundField(*binding),
                       std::int64_t{SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0});
        }
        return;
    }
    if (id == ID_PROGRAM_RUNNING && code == CBN_SELCHANGE) {
        const auto selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (selected < 0) return;
        std::wstring text(static_cast<std::size_t>(SendMessageW(control, CB_GETLBTEXTLEN, selected, 0)) + 1, L'\0');
        (void)SendMessageW(control, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        (void)SetWindowTextW(Control(ID_PROGRAM_PATH), text.c_str());
        return;
    }
    const Binding* binding = FindBinding(id);
    if (binding == nullptr) return;
    if (code == EN_CHANGE) {
        StoreTyped(*binding, control);
    } else if (code == EN_KILLFOCUS) {
        filling_ = true;
        FillBound(*binding);  // refused text gives way to the value kept
        filling_ = false;
    } else if (code == CBN_SELCHANGE) {
        const auto selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (selected < 0) return;
        const auto index = static_cast<std::size_t>(selected);
        if (binding->kind == BindingKind::kDpi && index < OfferedDpis().size()) {
            const std::int64_t dpiIndex = *IndexOfDpi(OfferedDpis()[index]);
            const bool linked = linkXY_ && binding->controlId < ID_STAGE_Y;
            StoreValue(*FieldOf(*binding, editing_), dpiIndex, !linked);
            if (linked) StoreValue(*FieldOf(*FindBinding(ID_STAGE_Y + binding->element), editing_), dpiIndex);
        } else if (binding->kind == BindingKind::kMode) {
            StoreValue(*BoundField(*binding), static_cast<std::int64_t>(index));
        } else if (binding->kind == BindingKind::kDoubleClick && index < DoubleClickSteps().size()) {
            StoreValue(*FieldOf(*binding, editing_), std::int64_t{DoubleClickSteps()[index]});
        }
    }
}

void CCustomizerWnd::StoreTyped(const Binding& binding, HWND control) {
    const Field* field = BoundField(binding);
    if (field == nullptr) return;
    const TypedValue typed = ParseTyped(*field, ToU16(WindowText(control)));
    if (!typed.value) {
        // Refused where it is typed: the session keeps its value, the status
        // line says what the field takes.
        Refuse(typed.refusal);
        return;
    }
    session_.Set(*field, *typed.value);
    Status(L"");
    if (binding.controlId == ID_PROFILE_NAME) {
        filling_ = true;
        FillProfileChoices();
        filling_ = false;
    }
    if (binding.scope != BindingScope::kProfile || binding.kind == BindingKind::kColor) {
        filling_ = true;
        FillSlotPages();  // the lists that name the slot, the swatches, the limits
        filling_ = false;
    }
}

void CCustomizerWnd::StoreValue(const Field& field, FieldValue value, bool fill) {
    const std::string refusal = CheckValue(field, value);
    if (!refusal.empty()) {
        Refuse(refusal);
    } else {
        session_.Set(field, value);
    }
    if (fill) Fill();
}

void CCustomizerWnd::SetSwatch(int controlId, std::uint32_t color) {
    HBRUSH& brush = swatchBrushes_[controlId];
    if (brush != nullptr) (void)DeleteObject(brush);
    brush = CreateSolidBrush(color & 0x00FFFFFFu);  // 0x00BBGGRR is a COLORREF
    (void)InvalidateRect(Control(controlId), nullptr, TRUE);
}

void CCustomizerWnd::PickColor(const Field& field) {
    static COLORREF custom[16] = {};
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = m_hWnd;
    choose.rgbResult = static_cast<COLORREF>(std::get<std::int64_t>(session_.Get(field)) & 0x00FFFFFF);  // 0x00BBGGRR
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose)) return;
    StoreValue(field, std::int64_t{choose.rgbResult & 0x00FFFFFFu});
}

void CCustomizerWnd::CaptureWindowsPointer() {
    ProfileData captured = session_.edited().profiles[editing_];
    CapturePointerSettings(captured);
    const struct {
        const char* name;
        std::int32_t value;
    } kFields[] = {
        {"pointerSpeed", captured.pointerSpeed},         {"pointerAcceleration", captured.pointerAcceleration},
        {"doubleClickSpeed", captured.doubleClickSpeed}, {"wheelScrollLines", captured.wheelScrollLines},
        {"wheelScrollPage", captured.wheelScrollPage},
    };
    std::string refused;
    for (const auto& f : kFields) {
        const Field* field = ProfileField(editing_, f.name);
        const std::string refusal = CheckValue(*field, std::int64_t{f.value});
        if (refusal.empty()) {
            session_.Set(*field, std::int64_t{f.value});
        } else {
            refused = refusal;
        }
    }
    Fill();
    if (refused.empty()) {
        Status(Text(IDS_STATUS_CAPTURED));
    } else {
        Status(Format(IDS_STATUS_REFUSED, Utf8ToWide(refused).c_str()));
    }
}

void CCustomizerWnd::BrowseProgram() { BrowseFile(ID_PROGRAM_PATH, IDS_PROGRAM_FILTER, kProgramPathChars, false); }

void CCustomizerWnd::BrowseFile(int editId, UINT filterId, std::size_t maxChars, bool save) {
    std::wstring filter = Text(filterId);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    std::wstring path = WindowText(Control(editId));
    path.resize(maxChars, L'\0');
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_hWnd;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = path.data();
    open.nMaxFile = static_cast<DWORD>(maxChars - 1);
    open.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (save) {
        open.lpstrDefExt = L"txt";
    } else {
        open.Flags |= OFN_FILEMUSTEXIST;
    }
    if (!(save ? GetSaveFileNameW(&open) : GetOpenFileNameW(&open))) return;
    (void)SetWindowTextW(Control(editId), path.c_str());  // its EN_CHANGE checks and stores it
}

}  // namespace korvid
