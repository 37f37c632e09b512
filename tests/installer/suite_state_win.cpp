// suite_state.exe [wait-ms]: what of the suite runs in this Wine prefix, for
// the installer tests (Wine 8's tasklist lists nothing). Prints one line per
// running process of the suite, "process <exe> <pid>", and one per window the
// setup program closes, "window <exe> <pid>". With wait-ms it first waits up
// to that long for the host's window to exist.
// suite_state.exe --hold-customizer MS: shows a window titled like the
// customizer that ignores WM_CLOSE, for MS milliseconds: a program of the
// suite that does not end when the setup program asks it to.
#include <windows.h>
//
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <iterator>

#include "base/unique_resource_win.h"
#include "protocol/korvid_protocol.h"

namespace {

struct SuiteProgram {
    const wchar_t* exeName;
    const wchar_t* windowTitle;
};

constexpr SuiteProgram kSuite[] = {
    {korvid::kHostExeName, korvid::kHostWindowTitle},
    {korvid::kCustomizerExeName, korvid::kCustomizerWindowTitle},
    {korvid::kOsdExeName, korvid::kOsdWindowTitle},
};

void PrintProcesses() {
    korvid::UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        for (const SuiteProgram& program : kSuite) {
            if (_wcsicmp(entry.szExeFile, program.exeName) == 0) {
                std::wprintf(L"process %ls %lu\n", program.exeName, entry.th32ProcessID);
            }
        }
    }
}

BOOL CALLBACK PrintSuiteWindow(HWND window, LPARAM) {
    wchar_t title[256] = {};
    if (GetWindowTextW(window, title, static_cast<int>(std::size(title))) == 0) return TRUE;
    for (const SuiteProgram& program : kSuite) {
        if (std::wcscmp(title, program.windowTitle) == 0) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            std::wprintf(L"window %ls %lu\n", program.exeName, processId);
        }
    }
    return TRUE;
}

LRESULT CALLBACK IgnoreClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

int HoldCustomizerWindow(DWORD ms) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = IgnoreClose;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KorvidStubbornCustomizer";
    if (RegisterClassW(&windowClass) == 0) return 1;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, korvid::kCustomizerWindowTitle, WS_OVERLAPPED, 0, 0,
                                  100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    const ULONGLONG deadline = GetTickCount64() + ms;
    while (GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    DestroyWindow(window);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 2 && std::wcscmp(argv[1], L"--hold-customizer") == 0) {
        return HoldCustomizerWindow(std::wcstoul(argv[2], nullptr, 10));
    }
    if (argc > 1) {
        const ULONGLONG deadline = GetTickCount64() + std::wcstoul(argv[1], nullptr, 10);
        while (FindWindowW(nullptr, korvid::kHostWindowTitle) == nullptr && GetTickCount64() < deadline) Sleep(100);
    }
    PrintProcesses();
    EnumWindows(PrintSuiteWindow, 0);
    return 0;
}
