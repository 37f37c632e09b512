#include "app/companions_win.h"

#include <shellapi.h>

#include <vector>

#include "base/debug_output_win.h"
#include "base/wide_text_win.h"
#include "config/data_folder.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

void LaunchProgram(const std::wstring& path) {
    // The result is not examined: a missing program changes nothing else.
    (void)ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace

HWND FindCustomizerWindow() { return FindWindowW(nullptr, kCustomizerWindowTitle); }

HWND FindOsdWindow() { return FindWindowW(nullptr, kOsdWindowTitle); }

bool PostToCustomizer(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND customizer = FindCustomizerWindow();
    if (customizer == nullptr) return false;
    (void)PostMessageW(customizer, message, wParam, lParam);  // a full queue drops it, as a closed window would
    return true;
}

void EnableCustomizerApply(const wchar_t* doneLine) {
    if (!PostToCustomizer(WM_UI_ENABLE_APPLY)) DebugLine(L"OnApplyAllSetting Don't find Derin Option Dialog\n");
    DebugLine(doneLine);
}

void BringUpOrLaunchCustomizer(const std::wstring& folder) {
    DebugLine(L"CKorvidWnd OnCustomizer\n");
    if (HWND customizer = FindCustomizerWindow()) {
        DebugLine(L"CKorvidWnd OnCustomizer hWnd!=NULL\n");
        if (IsIconic(customizer)) ShowWindow(customizer, SW_SHOWNORMAL);
        SetForegroundWindow(customizer);
        SetActiveWindow(customizer);
        return;
    }
    DebugLine(L"CKorvidWnd OnCustomizer hWnd==NULL\n");
    LaunchProgram(folder + L"\\" + kCustomizerExeName);
}

void StartCompanionPrograms(const std::wstring& installDir) {
    LaunchProgram(installDir + L"\\" + kOsdExeName);
    for (const wchar_t* applet : kAppletExeNames) LaunchProgram(installDir + L"\\" + applet);
}

std::wstring ExecutableDirectory() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return ToWide(DirectoryOf(ToU16(std::wstring(path.data(), n))));
        path.resize(path.size() * 2);
    }
}

}  // namespace korvid
