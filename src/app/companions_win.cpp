#include "app/companions_win.h"

#include <shellapi.h>

#include <vector>

#include "base/debug_output_win.h"
#include "protocol/korvid_protocol.h"
#include "base/wide_text_win.h"
#include "config/data_folder.h"

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
    LaunchProgram(folder + L"\\Option.exe");
}

void StartCompanionPrograms(const std::wstring& installDir) {
    LaunchProgram(installDir + L"\\FerroxOSD.exe");
    LaunchProgram(installDir + L"\\Applets\\CpuRam.exe");
    LaunchProgram(installDir + L"\\Applets\\EmailPOP3.EXE");
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
