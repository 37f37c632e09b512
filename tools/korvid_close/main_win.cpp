// korvid_close.exe [timeout-ms]
// Posts WM_CLOSE to every top-level window of the customizer, the on-screen
// display and the host (in that order: the host would otherwise close the
// customizer itself, racing this program), then waits until their processes
// have ended or the time is up (10 s unless given).
// Prints one line per program it found: "<exe>: ended" or "<exe>: did not end".
// Exit code: 0 when nothing of the suite is left running, 1 when a program
// did not end in time, 2 for a bad argument.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "base/unique_resource_win.h"
#include "protocol/korvid_protocol.h"

namespace {

struct SuiteProgram {
    const wchar_t* windowTitle;
    const wchar_t* exeName;
};

constexpr SuiteProgram kClosingOrder[] = {
    {korvid::kCustomizerWindowTitle, korvid::kCustomizerExeName},
    {korvid::kOsdWindowTitle, korvid::kOsdExeName},
    {korvid::kHostWindowTitle, korvid::kHostExeName},
};

struct Running {
    DWORD processId;
    const wchar_t* exeName;
    korvid::UniqueHandle process;
};

struct WindowSearch {
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectByTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    wchar_t title[256] = {};
    if (GetWindowTextW(window, title, static_cast<int>(std::size(title))) > 0 &&
        std::wcscmp(title, search->title) == 0) {
        search->found.push_back(window);
    }
    return TRUE;
}

bool AlreadyListed(const std::vector<Running>& running, DWORD processId) {
    for (const Running& r : running) {
        if (r.processId == processId) return true;
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD timeoutMs = 10000;
    if (argc > 1) {
        wchar_t* end = nullptr;
        const unsigned long value = std::wcstoul(argv[1], &end, 10);
        if (end == argv[1] || *end != L'\0') {
            std::fwprintf(stderr, L"usage: korvid_close [timeout-ms]\n");
            return 2;
        }
        timeoutMs = static_cast<DWORD>(value);
    }

    std::vector<Running> running;
    for (const SuiteProgram& program : kClosingOrder) {
        WindowSearch search{program.windowTitle, {}};
        EnumWindows(CollectByTitle, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.found) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            // Opened before the message goes out, so that an early exit
            // cannot hand the id to another process.
            if (processId != 0 && !AlreadyListed(running, processId)) {
                running.push_back(
                    {processId, program.exeName, korvid::UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, processId))});
            }
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }

    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    int exitCode = 0;
    for (const Running& r : running) {
        bool ended = false;
        if (r.process) {
            const ULONGLONG now = GetTickCount64();
            const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
            ended = WaitForSingleObject(r.process.get(), left) == WAIT_OBJECT_0;
        }
        std::wprintf(L"%ls: %ls\n", r.exeName, ended ? L"ended" : L"did not end");
        if (!ended) exitCode = 1;
    }
    if (running.empty()) std::wprintf(L"nothing of the suite was running\n");
    return exitCode;
}
