#include "host_process_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

namespace korvid::e2e {
namespace {

constexpr DWORD kPollMs = 10;

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// The test's environment without KORVID_SIM_* and without the names the
// options set, plus the options; sorted by name as CreateProcessW expects.
std::vector<wchar_t> EnvironmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& extra) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) {
            const std::wstring entry = p;
            const std::size_t eq = entry.find(L'=', 1);  // names like "=C:" start with '='
            const std::wstring name = Upper(entry.substr(0, eq));
            if (name.rfind(L"KORVID_SIM_", 0) == 0) continue;
            if (std::any_of(extra.begin(), extra.end(), [&](const auto& kv) { return Upper(kv.first) == name; }))
                continue;
            entries.push_back(entry);
        }
        (void)FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : extra) entries.push_back(name + L"=" + value);
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return Upper(a.substr(0, a.find(L'=', 1))) < Upper(b.substr(0, b.find(L'=', 1)));
    });
    std::vector<wchar_t> result;
    for (const std::wstring& entry : entries) {
        result.insert(result.end(), entry.begin(), entry.end());
        result.push_back(L'\0');
    }
    result.push_back(L'\0');
    if (result.size() == 1) result.push_back(L'\0');
    return result;
}

struct FindRequest {
    const wchar_t* title;
    DWORD processId;
    HWND found = nullptr;
    int count = 0;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    wchar_t text[256] = {};
    (void)GetWindowTextW(window, text, 256);
    if (wcscmp(text, request->title) != 0) return TRUE;
    DWORD owner = 0;
    (void)GetWindowThreadProcessId(window, &owner);
    if (request->processId != 0 && owner != request->processId) return TRUE;
    ++request->count;
    if (request->found == nullptr) request->found = window;
    return TRUE;
}

// A job that ends every host still running when the test process ends, also
// when the test runner kills it on a timeout.
HANDLE HostJob() {
    static HANDLE job = [] {
        HANDLE created = CreateJobObjectW(nullptr, nullptr);
        if (created != nullptr) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            (void)SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        return created;
    }();
    return job;
}

}  // namespace

HWND FindWindowOf(const wchar_t* title, DWORD processId) {
    FindRequest request{title, processId};
    (void)EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

int CountWindowsTitled(const wchar_t* title) {
    FindRequest request{title, 0};
    (void)EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
    return request.count;
}

std::unique_ptr<HostProcess> HostProcess::Start(const std::wstring& exe, const HostOptions& options) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!options.arguments.empty()) commandLine += L" " + options.arguments;
    const std::wstring folder =
        options.workingDirectory.empty() ? exe.substr(0, exe.find_last_of(L'\\') + 1) : options.workingDirectory;
    std::vector<wchar_t> environment = EnvironmentBlock(options.environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment.data(), folder.c_str(), &startup,
                        &info)) {
        ADD_FAILURE() << "CreateProcessW failed with error " << GetLastError();
        return nullptr;
    }
    // Without the job the host still runs; it just could outlive a killed test.
    if (HostJob() != nullptr) (void)AssignProcessToJobObject(HostJob(), info.hProcess);
    (void)ResumeThread(info.hThread);
    (void)CloseHandle(info.hThread);
    return std::unique_ptr<HostProcess>(new HostProcess(info.hProcess, info.dwProcessId));
}

HostProcess::~HostProcess() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        (void)TerminateProcess(process_, 0xDEAD);
        (void)WaitForSingleObject(process_, 10000);
    }
    (void)CloseHandle(process_);
}

HWND HostProcess::WaitForWindow(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = FindWindowOf(kHostWindowTitle, processId_)) {
            // The window can be found while its creation is still running; a
            // sent message is answered only once the thread is back in its
            // message loop, that is after the whole start-up.
            const ULONGLONG now = GetTickCount64();
            const UINT left = now < deadline ? static_cast<UINT>(deadline - now) : 1;
            DWORD_PTR ignored = 0;
            if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, left, &ignored) != 0) {
                window_ = window;
                return window;
            }
        }
        if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return nullptr;
        if (GetTickCount64() >= deadline) return nullptr;
    }
}

bool HostProcess::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return window_ != nullptr && PostMessageW(window_, message, wParam, lParam) != 0;
}

std::optional<DWORD> HostProcess::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

std::optional<DWORD> HostProcess::EndWith(UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    EXPECT_TRUE(Post(message, wParam, lParam)) << "message " << message << " could not be posted to the host";
    const std::optional<DWORD> code = WaitForExit(timeoutMs);
    if (!code) {
        ADD_FAILURE() << "the host did not end within " << timeoutMs << " ms after message " << message
                      << "; terminated";
        (void)TerminateProcess(process_, 0xDEAD);
        (void)WaitForSingleObject(process_, 10000);
    }
    return code;
}

}  // namespace korvid::e2e
