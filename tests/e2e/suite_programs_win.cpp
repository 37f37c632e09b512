#include "suite_programs_win.h"

#include <tlhelp32.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "base/unique_resource_win.h"
#include "recorder_window_win.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

std::optional<std::wstring> ProcessImagePath(DWORD processId) {
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::nullopt;
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = ARRAYSIZE(path);
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &size)) return std::nullopt;
    return std::wstring(path, size);
}

}  // namespace

bool StageStandInAt(const std::wstring& folder, const std::wstring& relativePath) {
    const std::filesystem::path target(folder + relativePath);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) return false;
    return CopyFileW(BuiltStandIn().c_str(), target.c_str(), FALSE) != 0;
}

bool StageSuiteStandIns(const std::wstring& folder) {
    if (!StageStandInAt(folder, kCustomizerExeName)) return false;
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
    std::vector<StandInStart> starts;
    (void)PollUntil(
        [&] {
            starts = ReadStandInStarts(log);
            return starts.size() >= count;
        },
        timeoutMs);
    return starts;
}

std::vector<std::wstring> StartedPaths(const std::vector<StandInStart>& starts) {
    std::vector<std::wstring> paths;
    for (const StandInStart& start : starts) paths.push_back(start.path);
    return paths;
}

std::vector<std::wstring> ChildProcessPaths(DWORD parentId, const wchar_t* fileName) {
    std::vector<std::wstring> paths;
    const UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return paths;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != parentId || lstrcmpiW(entry.szExeFile, fileName) != 0) continue;
        // A process that ended between the snapshot and now has no path.
        paths.push_back(ProcessImagePath(entry.th32ProcessID).value_or(L"<ended>"));
    }
    return paths;
}

std::vector<HWND> StandInCustomizerWindows() { return ForeignWindowsTitled(kCustomizerWindowTitle); }

HWND WaitForStandInCustomizer(DWORD timeoutMs) {
    std::vector<HWND> windows;
    (void)PollUntil(
        [&] {
            windows = StandInCustomizerWindows();
            return !windows.empty();
        },
        timeoutMs);
    return windows.empty() ? nullptr : windows.front();
}

bool CloseStandInCustomizers(DWORD timeoutMs) {
    return PollUntil(
        [] {
            const std::vector<HWND> windows = StandInCustomizerWindows();
            for (HWND window : windows) (void)PostMessageW(window, WM_CLOSE, 0, 0);  // it may be gone already
            return windows.empty();
        },
        timeoutMs);
}

bool SendAndAwaitHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    return ReplyMs(window, timeoutMs, message, wParam, lParam).has_value();
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
