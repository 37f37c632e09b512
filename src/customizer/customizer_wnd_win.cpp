#include "customizer/customizer_wnd_win.h"

#include <commctrl.h>

#include <cstdarg>
#include <cwchar>
#include <span>

#include "base/debug_output_win.h"
#include "base/unique_resource_win.h"
#include "config/factory_defaults.h"
#include "customizer/string_ids.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

constexpr MessageMapEntry<CCustomizerWnd> kMessageMap[] = {
    {WM_CREATE, 0, &CCustomizerWnd::OnCreate},
    {WM_CLOSE, 0, &CCustomizerWnd::OnClose},
    {WM_DESTROY, 0, &CCustomizerWnd::OnDestroy},
    {WM_NOTIFY, 0, &CCustomizerWnd::OnNotify},
    {WM_TIMER, 0, &CCustomizerWnd::OnTimer},
    {WM_CTLCOLORSTATIC, 0, &CCustomizerWnd::OnCtlColorStatic},
    {WM_DPICHANGED, 0, &CCustomizerWnd::OnDpiChanged},
    {WM_SIZE, 0, &CCustomizerWnd::OnSize},
    {WM_SETCURSOR, 0, &CCustomizerWnd::OnSetCursor},
    {WM_ERASEBKGND, 0, &CCustomizerWnd::OnEraseBackground},
    {WM_UI_PROFILE_CHANGED, 0, &CCustomizerWnd::OnSectionChanged},
    {WM_UI_STAGE_CHANGED, 0, &CCustomizerWnd::OnSectionChanged},
    {WM_UI_ENABLE_APPLY, 0, &CCustomizerWnd::OnEnableApply},
    {WM_CUSTOMIZER_SHOW_PAGE, 0, &CCustomizerWnd::OnShowPage},
    {WM_CUSTOMIZER_KEY, 0, &CCustomizerWnd::OnKey},
    {WM_COMMAND, ID_OK, &CCustomizerWnd::OnOk},
    {WM_COMMAND, ID_CANCEL, &CCustomizerWnd::OnCancel},
    {WM_COMMAND, ID_APPLY, &CCustomizerWnd::OnApply},
    {WM_COMMAND, ID_RESTORE_DRAFT, &CCustomizerWnd::OnRestoreDraft},
    {WM_COMMAND, ID_DISCARD_DRAFT, &CCustomizerWnd::OnDiscardDraft},
    {WM_COMMAND, ID_START_HOST, &CCustomizerWnd::OnStartHost},
};

// Client size of the window at 96 DPI.
constexpr int kClientWidth = 600;
constexpr int kClientHeight = 470;

}  // namespace

CCustomizerWnd::CCustomizerWnd(std::wstring installDir) : installDir_(std::move(installDir)), files_(installDir_) {}

CCustomizerWnd::~CCustomizerWnd() {
    for (const auto& [id, brush] : swatchBrushes_) (void)DeleteObject(brush);
    if (font_ != nullptr) (void)DeleteObject(font_);
}

bool CCustomizerWnd::Create(int showCommand, int page) {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!CreateEx(WS_EX_CONTROLPARENT, kCustomizerWindowTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100)) {
        return false;
    }
    // The size follows the DPI of the monitor the window landed on.
    dpi_ = GetDpiForWindow(m_hWnd);
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    (void)AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_CONTROLPARENT, dpi_);
    (void)SetWindowPos(m_hWnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyFont();
    Layout();
    StartSession();
    ShowPage(page >= 0 && page < kPageCount ? page : 0);
    (void)ShowWindow(m_hWnd, showCommand);
    (void)UpdateWindow(m_hWnd);
    return true;
}

bool CCustomizerWnd::PreTranslate(MSG& msg) {
    if (m_hWnd == nullptr) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 &&
        (msg.hwnd == m_hWnd || IsChild(m_hWnd, msg.hwnd))) {
        const int step = GetKeyState(VK_SHIFT) < 0 ? kPageCount - 1 : 1;
        ShowPage((static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)) + step) % kPageCount);
        return true;
    }
    return IsDialogMessageW(m_hWnd, &msg) != 0;
}

bool CCustomizerWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (DispatchMessageMap<CCustomizerWnd>(kMessageMap, *this, message, wParam, lParam, result)) return true;
    if (message == WM_COMMAND && lParam != 0) {
        OnControl(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        result = 0;
        return true;
    }
    if (message == DM_GETDEFID) {
        result = MAKELRESULT(ID_OK, DC_HASDEFID);
        return true;
    }
    return false;
}

LRESULT CCustomizerWnd::OnCreate(WPARAM, LPARAM) {
    icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));  // shared: never destroyed
    if (icon_ != nullptr) {
        (void)SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        (void)SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    }
    CreateControls();
    CreatePages();
    return 0;
}

LRESULT CCustomizerWnd::OnClose(WPARAM, LPARAM) {
    // The host closes the customizer when the mouse goes away or the host
    // ends; what the person has not applied waits in Draft.data.
    if (session_.HasUnappliedEdits()) {
        const std::wstring error = files_.SaveDraft(session_.base(), session_.edited());
        if (!error.empty()) DebugLineF(L"Option: draft not saved: %ls\n", error.c_str());
    }
    (void)DestroyWindow(m_hWnd);
    return 0;
}

LRESULT CCustomizerWnd::OnDestroy(WPARAM, LPARAM) {
    (void)KillTimer(m_hWnd, TIMER_APPLY_PROGRESS);
    (void)KillTimer(m_hWnd, TIMER_APPLY_FALLBACK);
    (void)KillTimer(m_hWnd, TIMER_HOST_WATCH);
    return 0;
}

LRESULT CCustomizerWnd::OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == ID_TABS && header->code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
    }
    return 0;
}

LRESULT CCustomizerWnd::OnTimer(WPARAM wParam, LPARAM) {
    switch (wParam) {
        case TIMER_APPLY_PROGRESS:
            // One frame per step; the last step belongs to the host's answer.
            if (applyStep_ + 1 < applyFrames_) {
                ++applyStep_;
                (void)SendMessageW(progress_, PBM_SETPOS, applyStep_, 0);
            }
            break;
        case TIMER_APPLY_FALLBACK:
            EndApply(IDS_STATUS_FALLBACK, static_cast<int>(fallbackMs_ / 1000));
            closeAfterApply_ = false;  // the person reads why before closing
            break;
        case TIMER_HOST_WATCH:
            WatchHost();
            break;
        default:
            break;
    }
    return 0;
}

LRESULT CCustomizerWnd::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    const auto swatch = swatchBrushes_.find(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
    if (swatch != swatchBrushes_.end()) return reinterpret_cast<LRESULT>(swatch->second);
    auto dc = reinterpret_cast<HDC>(wParam);
    (void)SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CCustomizerWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    dpi_ = HIWORD(wParam);
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    ApplyFont();
    (void)SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    return 0;
}

LRESULT CCustomizerWnd::OnSize(WPARAM, LPARAM) {
    if (status_ != nullptr) (void)SendMessageW(status_, WM_SIZE, 0, 0);
    return 0;
}

LRESULT CCustomizerWnd::OnSetCursor(WPARAM, LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT) return Default();
    (void)SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT CCustomizerWnd::OnEraseBackground(WPARAM wParam, LPARAM) {
    RECT client;
    (void)GetClientRect(m_hWnd, &client);
    (void)FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

LRESULT CCustomizerWnd::OnShowPage(WPARAM wParam, LPARAM) {
    if (wParam < static_cast<WPARAM>(kPageCount)) ShowPage(static_cast<int>(wParam));
    return 0;
}

// --- Protocol ----------------------------------------------------------------

void CCustomizerWnd::StartSession() {
    if (host_.Open()) {
        auto image = std::make_unique<ShareData>();
        const SectionResult read = host_.Read(*image);
        if (read == SectionResult::kDone) {
            session_.Load(*image);
            ConnectedToHost(false);
        } else {
            // The host holds the mutex: start from the file and merge later.
            UseFile();
            Status(Format(IDS_STATUS_TIMEOUT, static_cast<int>(kSectionWaitMs / 1000)));
        }
    } else {
        UseFile();
    }
    (void)SetTimer(m_hWnd, TIMER_HOST_WATCH, 1000, nullptr);
    OfferDraft();
    Fill();
}

void CCustomizerWnd::UseFile() {
    auto image = std::make_unique<ShareData>();
    const ConfigFileState state = files_.LoadConfig(*image);
    session_.Load(*image);
    hostMode_ = false;
    host_.Close();
    switch (state) {
        case ConfigFileState::kRead:
            Status(Text(IDS_STATUS_NO_HOST));
            break;
        case ConfigFileState::kRepaired:
        case ConfigFileState::kDamaged:
            Status(Text(IDS_STATUS_FILE_REPAIRED));
            break;
        case ConfigFileState::kMissing:
            Status(Text(IDS_STATUS_FILE_MISSING));
            break;
    }
    ShowNotice(IDS_NOTICE_NO_HOST, false, true);
}

void CCustomizerWnd::ConnectedToHost(bool merge) {
    if (merge) {
        auto image = std::make_unique<ShareData>();
        if (host_.Read(*image) != SectionResult::kDone) {
            host_.Close();  // try again at the next watch
            return;
        }
        (void)session_.Merge(*image);
        Status(Text(IDS_STATUS_HOST_APPEARED));
    } else {
        Status(Text(IDS_STATUS_HOST));
    }
    hostMode_ = true;
    ShowNotice(0, false, false);
    Fill();
}

void CCustomizerWnd::WatchHost() {
    if (hostMode_) {
        if (host_.HostWindow() == nullptr) {
            // The host ended without closing us (it was killed): keep the
            // edits, work on the file from now on.
            hostMode_ = false;
            host_.Close();
            Status(Text(IDS_STATUS_NO_HOST_WINDOW));
            ShowNotice(IDS_NOTICE_NO_HOST, false, true);
            if (applyPending_) EndApply(IDS_STATUS_NO_HOST_WINDOW, 0);
        }
        return;
    }
    if (host_.Open()) ConnectedToHost(true);
}

LRESULT CCustomizerWnd::OnSectionChanged(WPARAM, LPARAM) {
    if (!hostMode_) return 0;
    auto image = std::make_unique<ShareData>();
    const SectionResult read = host_.Read(*image);
    if (read == SectionResult::kTimedOut) {
        Status(Format(IDS_STATUS_TIMEOUT, static_cast<int>(kSectionWaitMs / 1000)));
        return 0;
    }
    if (read != SectionResult::kDone) return 0;
    const int oldActive = session_.edited().activeProfile;
    const int oldStage = session_.edited().profiles[session_.edited().activeProfile].currentStage;
    (void)session_.Merge(*image);
    const ShareData& now = session_.edited();
    std::wstring text;
    if (now.activeProfile != oldActive) {
        text = Format(IDS_STATUS_PROFILE_CHANGED, now.activeProfile + 1);
    } else if (now.profiles[now.activeProfile].currentStage != oldStage) {
        text = Format(IDS_STATUS_STAGE_CHANGED, now.profiles[now.activeProfile].currentStage + 1);
    }
    if (!text.empty()) {
        if (session_.HasUnappliedEdits()) text += Text(IDS_STATUS_KEPT_EDITS);
        Status(text);
    }
    Fill();
    return 0;
}

LRESULT CCustomizerWnd::OnOk(WPARAM, LPARAM) {
    if (!applyPending_) Apply(true);
    return 0;
}

LRESULT CCustomizerWnd::OnCancel(WPARAM, LPARAM) {
    // Cancel drops the unapplied edits on purpose: no draft.
    (void)DestroyWindow(m_hWnd);
    return 0;
}

LRESULT CCustomizerWnd::OnApply(WPARAM, LPARAM) {
    if (!applyPending_) Apply(false);
    return 0;
}

void CCustomizerWnd::Apply(bool closeAfter) {
    if (!hostMode_) {
        ApplyToFile(closeAfter);
        return;
    }
    auto prepared = std::make_unique<ShareData>();
    std::wstring saveError;
    const SectionResult result = host_.Exchange([&](ShareData& section) {
        // Whatever the host wrote since the last read (a profile switch whose
        // message is still queued) is taken first, so the write below does
        // not undo it.
        (void)session_.Merge(section);
        *prepared = session_.PrepareApply();
        saveError = files_.SaveConfig(*prepared);
        if (!saveError.empty()) return false;
        section = *prepared;
        return true;
    });
    switch (result) {
        case SectionResult::kTimedOut:
            Status(Format(IDS_STATUS_TIMEOUT, static_cast<int>(kSectionWaitMs / 1000)));
            return;
        case SectionResult::kStepFailed:
            Status(Format(IDS_STATUS_SAVE_FAILED, saveError.c_str()));
            MessageBeep(MB_ICONWARNING);
            Fill();
            return;
        case SectionResult::kNoHost:
            hostMode_ = false;
            host_.Close();
            ApplyToFile(closeAfter);
            return;
        case SectionResult::kDone:
            break;
    }
    session_.Applied(*prepared);
    const HWND host = host_.HostWindow();
    if (host == nullptr) {
        Status(Text(IDS_STATUS_NO_HOST_WINDOW));
        Fill();
        return;
    }
    // Everything the window shows changes before the host is told, so that
    // its answer always finds the apply under way.
    applyFrames_ = std::max(FramesOfChangedPush(*prepared), 1);
    applyPending_ = true;
    closeAfterApply_ = closeAfter;
    applyStep_ = 0;
    fallbackMs_ = kFallbackBaseMs + kFallbackPerFrameMs * static_cast<UINT>(applyFrames_);
    (void)SendMessageW(progress_, PBM_SETRANGE32, 0, applyFrames_);
    (void)SendMessageW(progress_, PBM_SETPOS, 0, 0);
    (void)ShowWindow(progress_, SW_SHOW);
    SetApplyEnabled(false);
    Status(Format(IDS_STATUS_APPLYING, applyFrames_));
    Fill();
    (void)SetTimer(m_hWnd, TIMER_APPLY_PROGRESS, kProgressStepMs, nullptr);
    (void)SetTimer(m_hWnd, TIMER_APPLY_FALLBACK, fallbackMs_, nullptr);
    if (!PostMessageW(host, WM_HOST_APPLY_ALL, 0, 0)) EndApply(IDS_STATUS_NO_HOST_WINDOW, 0);
}

void CCustomizerWnd::ApplyToFile(bool closeAfter) {
    auto prepared = std::make_unique<ShareData>(session_.PrepareApply());
    const std::wstring error = files_.SaveConfig(*prepared);
    if (!error.empty()) {
        Status(Format(IDS_STATUS_SAVE_FAILED, error.c_str()));
        MessageBeep(MB_ICONWARNING);
        return;
    }
    session_.Applied(*prepared);
    Status(Text(IDS_STATUS_SAVED));
    Fill();
    if (closeAfter) (void)DestroyWindow(m_hWnd);
}

LRESULT CCustomizerWnd::OnEnableApply(WPARAM, LPARAM) {
    if (applyPending_) EndApply(IDS_STATUS_APPLIED, 0);
    return 0;
}

void CCustomizerWnd::EndApply(UINT statusId, int number) {
    (void)KillTimer(m_hWnd, TIMER_APPLY_PROGRESS);
    (void)KillTimer(m_hWnd, TIMER_APPLY_FALLBACK);
    applyPending_ = false;
    (void)SendMessageW(progress_, PBM_SETPOS, statusId == IDS_STATUS_APPLIED ? applyFrames_ : applyStep_, 0);
    SetApplyEnabled(true);
    Status(Format(statusId, number));
    if (closeAfterApply_ && statusId == IDS_STATUS_APPLIED) (void)DestroyWindow(m_hWnd);
}

void CCustomizerWnd::SetApplyEnabled(bool enabled) {
    (void)EnableWindow(GetDlgItem(m_hWnd, ID_OK), enabled);
    (void)EnableWindow(GetDlgItem(m_hWnd, ID_APPLY), enabled);
}

// --- Draft and host start ------------------------------------------------------

void CCustomizerWnd::OfferDraft() {
    bool damaged = false;
    const std::unique_ptr<Draft> draft = files_.LoadDraft(damaged);
    if (damaged) {
        Status(Text(IDS_STATUS_BAD_DRAFT));
        files_.DeleteDraft();
    }
    if (draft != nullptr) ShowNotice(IDS_NOTICE_DRAFT, true, false);
}

LRESULT CCustomizerWnd::OnRestoreDraft(WPARAM, LPARAM) {
    bool damaged = false;
    const std::unique_ptr<Draft> draft = files_.LoadDraft(damaged);
    if (draft != nullptr) {
        const int restored = RestoreEdits(session_, draft->base, draft->edited);
        Status(Format(IDS_STATUS_DRAFT_RESTORED, restored));
    } else if (damaged) {
        Status(Text(IDS_STATUS_BAD_DRAFT));
    }
    files_.DeleteDraft();
    ShowNotice(hostMode_ ? 0 : IDS_NOTICE_NO_HOST, false, !hostMode_);
    Fill();
    return 0;
}

LRESULT CCustomizerWnd::OnDiscardDraft(WPARAM, LPARAM) {
    files_.DeleteDraft();
    ShowNotice(hostMode_ ? 0 : IDS_NOTICE_NO_HOST, false, !hostMode_);
    return 0;
}

LRESULT CCustomizerWnd::OnStartHost(WPARAM, LPARAM) {
    std::wstring exe = installDir_ + kHostExeName;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, installDir_.c_str(),
                        &startup, &info)) {
        const DWORD code = GetLastError();
        Status(Format(IDS_STATUS_HOST_NOT_STARTED, (exe + L" (error " + std::to_wstring(code) + L")").c_str()));
        return 0;
    }
    const UniqueProcess started(info);  // not waited for: the host runs on its own
    Status(Text(IDS_STATUS_HOST_STARTING));
    return 0;
}

// --- Texts ---------------------------------------------------------------------

void CCustomizerWnd::Status(const std::wstring& text) {
    if (status_ != nullptr) (void)SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring CCustomizerWnd::Text(UINT id) const {
    const wchar_t* resource = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&resource), 0);
    return length > 0 ? std::wstring(resource, static_cast<std::size_t>(length)) : std::wstring();
}

std::wstring CCustomizerWnd::Format(UINT id, ...) const {
    const std::wstring format = Text(id);
    wchar_t buffer[1024];
    va_list args;
    va_start(args, id);
    (void)std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format.c_str(), args);  // cut if longer
    va_end(args);
    return buffer;
}

}  // namespace korvid
