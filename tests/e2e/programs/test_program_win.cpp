// A stand-in for the suite's other programs in the end-to-end tests. Staged
// under the names the host starts (Option.exe, FerroxOSD.exe,
// Applets\CpuRam.exe, Applets\EmailPOP3.EXE) or any name a test chooses.
//   - Every start appends one line "<full path of this program>|<arguments>"
//     to the file named by KORVID_TEST_PROGRAM_LOG (when set).
//   - Named Option.exe it then behaves as the customizer: a window titled
//     "QIV Brennox 2 Gaming mouse" that lives until WM_CLOSE.
//   - With the argument --foreground it shows a window titled
//     "Korvid test program", takes the foreground and lives until WM_CLOSE.
//   - Otherwise it ends at once.
// It never runs longer than a minute, so a failed test leaves nothing behind.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "base/unique_resource_win.h"
#include "programs/stand_in_win.h"
#include "protocol/korvid_protocol.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 60000;

void RecordStart(const wchar_t* arguments) {
    wchar_t logPath[MAX_PATH] = {};
    if (GetEnvironmentVariableW(korvid::e2e::kStandInLogVariable, logPath, MAX_PATH) == 0) return;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    // One whole line per start; several programs may append at once.
    const korvid::UniqueFileHandle file(CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::wstring line = std::wstring(self) + L"|" + arguments + L"\r\n";
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kLifetimeTimer) DestroyWindow(hwnd);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int RunWindow(HINSTANCE instance, const wchar_t* title, bool takeForeground) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KorvidTestProgram";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                instance, nullptr);
    if (hwnd == nullptr) return 1;
    ShowWindow(hwnd, SW_SHOW);
    if (takeForeground) SetForegroundWindow(hwnd);
    SetTimer(hwnd, kLifetimeTimer, kLifetimeMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    RecordStart(arguments);
    if (std::wcsstr(arguments, L"--foreground") != nullptr) return RunWindow(instance, L"Korvid test program", true);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const wchar_t* name = std::wcsrchr(self, L'\\');
    name = name != nullptr ? name + 1 : self;
    if (lstrcmpiW(name, korvid::kCustomizerExeName) == 0)
        return RunWindow(instance, korvid::kCustomizerWindowTitle, false);
    return 0;
}
