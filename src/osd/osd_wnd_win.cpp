#include "osd/osd_wnd_win.h"

#include <shellscalingapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "base/wide_text_win.h"
#include "config/settings_file_win.h"
#include "config/share_data.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

constexpr UINT_PTR kHoldTimer = 1;
constexpr UINT_PTR kFadeTimer = 2;
constexpr UINT kFadeStepMs = 16;
// How long the display waits for the section mutex before it shows the
// number alone: the host never holds it long, and a late display is no use.
constexpr DWORD kSectionWaitMs = 150;
constexpr int kPaddingPx = 18;  // at 96 DPI, around the text
constexpr int kAccentPx = 6;    // at 96 DPI, the bar on the left
constexpr COLORREF kBackground = RGB(24, 26, 30);
constexpr COLORREF kAccent = RGB(230, 120, 30);
constexpr COLORREF kText = RGB(245, 245, 245);
constexpr COLORREF kDetailText = RGB(190, 194, 200);

struct ProfileDetails {
    std::u16string name;
    std::u16string programPath;
};

// The profile's name and program from the host's section, read-only under
// its mutex; nothing when there is no section or the mutex stays taken.
std::optional<ProfileDetails> ReadProfileDetails(int profileIndex) {
    UniqueHandle mutex(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName));
    if (!mutex) return std::nullopt;
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, kSectionName));
    if (!mapping) return std::nullopt;
    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, kImageSize));
    if (!view) return std::nullopt;
    ProfileData profile;
    {
        MutexGuard guard(mutex.get(), kSectionWaitMs);
        if (!guard.acquired()) return std::nullopt;
        std::memcpy(&profile, static_cast<const std::uint8_t*>(view.get()) + ProfileOffset(profileIndex),
                    sizeof profile);
    }
    return ProfileDetails{{profile.profileName, kProfileNameChars}, {profile.programPath, kProgramPathChars}};
}

UniqueFont MakeFont(int pixelHeight, int weight) {
    return UniqueFont(CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                  L"Segoe UI"));
}

SIZE TextSize(HDC dc, HFONT font, const std::wstring& text) {
    if (text.empty()) return {0, 0};
    const HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 0};
    (void)DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    (void)SelectObject(dc, old);
    return {r.right - r.left, r.bottom - r.top};
}

unsigned MonitorDpi(HMONITOR monitor) {
    UINT x = 96;
    UINT y = 96;
    if (GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y) != S_OK || x == 0) return 96;
    return x;
}

BYTE FullAlpha(const OsdLook& look) { return static_cast<BYTE>(look.opacity * 255 / 100); }

}  // namespace

struct OsdMessageMap {
    static constexpr MessageMapEntry<COsdWnd> kEntries[] = {
        {WM_OSD_SHOW, 0, &COsdWnd::OnOsdShow},      {WM_TIMER, 0, &COsdWnd::OnTimer},
        {WM_PAINT, 0, &COsdWnd::OnPaint},           {WM_ERASEBKGND, 0, &COsdWnd::OnEraseBackground},
        {WM_NCHITTEST, 0, &COsdWnd::OnHitTest},     {WM_MOUSEACTIVATE, 0, &COsdWnd::OnMouseActivate},
        {WM_DPICHANGED, 0, &COsdWnd::OnDpiChanged},
    };
};

bool COsdWnd::Create() {
    constexpr DWORD kExStyle = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_LAYERED;
    if (!CreateEx(kExStyle, kOsdWindowTitle, WS_POPUP, 0, 0, 1, 1)) return false;
    (void)SetLayeredWindowAttributes(m_hWnd, 0, 0, LWA_ALPHA);
    return true;
}

bool COsdWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return DispatchMessageMap<COsdWnd>(OsdMessageMap::kEntries, *this, message, wParam, lParam, result);
}

LRESULT COsdWnd::OnOsdShow(WPARAM wParam, LPARAM lParam) {
    if (const std::optional<int> profile = OsdProfileFromMessage(wParam, lParam)) Show(*profile);
    return 0;
}

void COsdWnd::Show(int profileIndex) {
    OsdSettings settings{};
    ReadOsdSettings(settings, installDir_);
    look_ = DecodeOsdLook(settings);
    profileLine_ = ToWide(OsdProfileLine(profileIndex));
    detailLine_.clear();
    if (const std::optional<ProfileDetails> details = ReadProfileDetails(profileIndex)) {
        detailLine_ = ToWide(OsdDetailLine(details->name, details->programPath));
    }

    HWND foreground = GetForegroundWindow();
    const HMONITOR monitor = foreground != nullptr ? MonitorFromWindow(foreground, MONITOR_DEFAULTTOPRIMARY)
                                                   : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) (void)SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    Layout(info.rcWork, MonitorDpi(monitor));

    (void)KillTimer(m_hWnd, kFadeTimer);
    (void)SetLayeredWindowAttributes(m_hWnd, 0, FullAlpha(look_), LWA_ALPHA);
    (void)SetWindowPos(m_hWnd, HWND_TOPMOST, placed_.left, placed_.top, placed_.right - placed_.left,
                       placed_.bottom - placed_.top, SWP_NOACTIVATE);
    (void)SetPropW(m_hWnd, kOsdShownProfileProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(profileIndex + 1)));
    (void)ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    (void)InvalidateRect(m_hWnd, nullptr, FALSE);
    (void)UpdateWindow(m_hWnd);
    (void)SetTimer(m_hWnd, kHoldTimer, static_cast<UINT>(look_.showMs), nullptr);
}

void COsdWnd::Layout(const RECT& workArea, unsigned dpi) {
    dpi_ = dpi;
    titleFont_ = MakeFont(ScaleToDpi(look_.textSize, dpi), FW_SEMIBOLD);
    detailFont_ = MakeFont(ScaleToDpi(look_.textSize * 5 / 9, dpi), FW_NORMAL);
    HDC screen = GetDC(nullptr);
    const SIZE title = TextSize(screen, titleFont_.get(), profileLine_);
    const SIZE detail = TextSize(screen, detailFont_.get(), detailLine_);
    (void)ReleaseDC(nullptr, screen);
    const int padding = ScaleToDpi(kPaddingPx, dpi);
    const int width = std::max(title.cx, detail.cx) + 2 * padding + ScaleToDpi(kAccentPx, dpi);
    const int height = title.cy + detail.cy + 2 * padding;
    const OsdRect area{workArea.left, workArea.top, workArea.right, workArea.bottom};
    const OsdRect r = PlaceOsd(area, width, height, look_.position, ScaleToDpi(look_.marginPx, dpi));
    placed_ = {r.left, r.top, r.right, r.bottom};
}

LRESULT COsdWnd::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == kHoldTimer) {
        (void)KillTimer(m_hWnd, kHoldTimer);
        if (look_.fadeMs == 0) {
            Hide();
            return 0;
        }
        fadeStart_ = GetTickCount64();
        (void)SetTimer(m_hWnd, kFadeTimer, kFadeStepMs, nullptr);
    } else if (wParam == kFadeTimer) {
        const ULONGLONG elapsed = GetTickCount64() - fadeStart_;
        if (elapsed >= static_cast<ULONGLONG>(look_.fadeMs)) {
            Hide();
            return 0;
        }
        const auto left = static_cast<int>(static_cast<ULONGLONG>(look_.fadeMs) - elapsed);
        (void)SetLayeredWindowAttributes(m_hWnd, 0, static_cast<BYTE>(FullAlpha(look_) * left / look_.fadeMs),
                                         LWA_ALPHA);
    }
    return 0;
}

void COsdWnd::Hide() {
    (void)KillTimer(m_hWnd, kHoldTimer);
    (void)KillTimer(m_hWnd, kFadeTimer);
    (void)ShowWindow(m_hWnd, SW_HIDE);
    (void)RemovePropW(m_hWnd, kOsdShownProfileProp);
}

LRESULT COsdWnd::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client;
    (void)GetClientRect(m_hWnd, &client);
    // Drawn off screen and copied in one go: no flicker.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    Draw(memory, client);
    (void)BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    (void)SelectObject(memory, oldBitmap);
    (void)DeleteObject(bitmap);
    (void)DeleteDC(memory);
    (void)EndPaint(m_hWnd, &ps);
    return 0;
}

void COsdWnd::Draw(HDC dc, const RECT& client) {
    HBRUSH background = CreateSolidBrush(kBackground);
    (void)FillRect(dc, &client, background);
    (void)DeleteObject(background);
    const int accentWidth = ScaleToDpi(kAccentPx, dpi_);
    const RECT accent{0, 0, accentWidth, client.bottom};
    HBRUSH accentBrush = CreateSolidBrush(kAccent);
    (void)FillRect(dc, &accent, accentBrush);
    (void)DeleteObject(accentBrush);

    (void)SetBkMode(dc, TRANSPARENT);
    const int padding = ScaleToDpi(kPaddingPx, dpi_);
    RECT text{accentWidth + padding, padding, client.right - padding, client.bottom - padding};
    const struct {
        const std::wstring& text;
        HFONT font;
        COLORREF color;
    } lines[] = {{profileLine_, titleFont_.get(), kText}, {detailLine_, detailFont_.get(), kDetailText}};
    for (const auto& line : lines) {
        if (line.text.empty()) continue;
        const HGDIOBJ old = SelectObject(dc, line.font);
        (void)SetTextColor(dc, line.color);
        (void)DrawTextW(dc, line.text.c_str(), static_cast<int>(line.text.size()), &text,
                        DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        (void)SelectObject(dc, old);
        text.top += TextSize(dc, line.font, line.text).cy;
    }
}

LRESULT COsdWnd::OnEraseBackground(WPARAM, LPARAM) { return 1; }
LRESULT COsdWnd::OnHitTest(WPARAM, LPARAM) { return HTTRANSPARENT; }
LRESULT COsdWnd::OnMouseActivate(WPARAM, LPARAM) { return MA_NOACTIVATE; }

// Moved to a monitor of another scale while showing: keep the size the
// system suggests; the next show lays it out anew for that monitor.
LRESULT COsdWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    dpi_ = LOWORD(wParam);
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    (void)SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

}  // namespace korvid
