#include "suite_programs_win.h"

#include <tlhelp32.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "host_process_win.h"
#include "recorder_window_win.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

constexpr DWORD kPollMs = 10;

std::optional<std::wstring> ProcessImagePath(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return std::nullopt;
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = ARRAYSIZE(path);
    const bool ok = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
    (void)CloseHandle(process);
    if (!ok) return std::nullopt;
    return std::wstring(path, size);
}

BOOL CALLBACK CollectStandInCustomizer(HWND window, LPARAM param) {
    wchar_t text[256] = {};
    (void)GetWindowTextW(window, text, 256);
    DWORD owner = 0;
    (void)GetWindowThreadProcessId(window, &owner);
    if (wcscmp(text, kCustomizerTitle) == 0 && owner != GetCurrentProcessId())
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

}  // namespace

bool StageStandInAt(const std::wstring& folder, const std::wstring& relativePath) {
    const std::filesystem::path target(folder + relativePath);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) return false;
    return CopyFileW(WinePath(KORVID_TEST_PROGRAM_PATH).c_str(), target.c_str(), FALSE) != 0;
}

bool StageSuiteStandIns(const std::wstring& folder) {
    if (!StageStandInAt(folder, kCustomizerExe)) return false;
    for (const wchar_t* companion : kCompanionExes)
        if (!StageStandInAt(folder, companion)) return false;
    return true;
}

std::wstring StandInStart::FileName() const {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::vector<StandInStart> ReadStandInStarts(const std::wstring& log) {
    std::vector<StandInStart> starts;
    const auto bytes = ReadFileBytes(log);
    if (!bytes) return starts;
    const std::wstring text = Widen(std::string(bytes->begin(), bytes->end()));
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find(L"\r\n", begin);
        if (end == std::wstring::npos) break;  // a line still being written
        const std::wstring line = text.substr(begin, end - begin);
        const std::size_t bar = line.find(L'|');
        starts.push_back({line.substr(0, bar), bar == std::wstring::npos ? L"" : line.substr(bar + 1)});
        begin = end + 2;
    }
    return starts;
}

std::vector<StandInStart> WaitForStandInStarts(const std::wstring& log, std::size_t count, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        std::vector<StandInStart> starts = ReadStandInStarts(log);
        if (starts.size() >= count || GetTickCount64() >= deadline) return starts;
        Sleep(kPollMs);
    }
}

std::vector<std::wstring> StartedPaths(const std::vector<StandInStart>& starts) {
    std::vector<std::wstring> paths;
    for (const StandInStart& start : starts) paths.push_back(start.path);
    return paths;
}

std::vector<std::wstring> ChildProcessPaths(DWORD parentId, const wchar_t* fileName) {
    std::vector<std::wstring> paths;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return paths;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parentId || lstrcmpiW(entry.szExeFile, fileName) != 0) continue;
        // A process that ended between the snapshot and now has no path.
        paths.push_back(ProcessImagePath(entry.th32ProcessID).value_or(L"<ended>"));
    }
    (void)CloseHandle(snapshot);
    return paths;
}

std::vector<HWND> StandInCustomizerWindows() {
    std::vector<HWND> windows;
    (void)EnumWindows(CollectStandInCustomizer, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND WaitForStandInCustomizer(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::vector<HWND> windows = StandInCustomizerWindows();
        if (!windows.empty()) return windows.front();
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(kPollMs);
    }
}

bool CloseStandInCustomizers(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::vector<HWND> windows = StandInCustomizerWindows();
        if (windows.empty()) return true;
        if (GetTickCount64() >= deadline) return false;
        for (HWND window : windows) (void)PostMessageW(window, WM_CLOSE, 0, 0);  // it may be gone already
        Sleep(kPollMs);
    }
}

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return condition();
        Sleep(kPollMs);
    }
}

bool SendAndAwaitHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

void HostProgramsTest::SetUp() {
    HostTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(StageSuiteStandIns(install_.InstallDir()));
}

void HostProgramsTest::TearDown() {
    EXPECT_TRUE(CloseStandInCustomizers(kExitTimeoutMs)) << "a stand-in customizer is still running";
    HostTest::TearDown();
}

}  // namespace korvid::e2e
