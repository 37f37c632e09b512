#include "child_process_win.h"

#include <algorithm>
#include <cwctype>

#include "folders_win.h"
#include "waits_win.h"

namespace korvid::harness {
namespace {

// The bound of the wait for a terminated child to be gone.
constexpr DWORD kTerminateWaitMs = 10000;
constexpr UINT kExitCodeTerminated = 0xDEAD;

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring NameOf(const std::wstring& entry) {
    return Upper(entry.substr(0, entry.find(L'=', 1)));  // names like "=C:" start with '='
}

// The caller's environment without KORVID_SIM_* and without the names given,
// plus the ones given; sorted by name as CreateProcessW expects.
std::vector<wchar_t> EnvironmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& extra) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) {
            const std::wstring entry = p;
            const std::wstring name = NameOf(entry);
            if (name.rfind(L"KORVID_SIM_", 0) == 0) continue;
            if (std::any_of(extra.begin(), extra.end(), [&](const auto& kv) { return Upper(kv.first) == name; }))
                continue;
            entries.push_back(entry);
        }
        (void)FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : extra) entries.push_back(name + L"=" + value);
    std::sort(entries.begin(), entries.end(),
              [](const std::wstring& a, const std::wstring& b) { return NameOf(a) < NameOf(b); });
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
    DWORD processId;  // 0: any
    bool foreignOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    wchar_t text[256] = {};
    (void)GetWindowTextW(window, text, 256);
    if (wcscmp(text, request->title) != 0) return TRUE;
    const DWORD owner = WindowProcessId(window);
    if (request->processId != 0 && owner != request->processId) return TRUE;
    if (request->foreignOnly && owner == GetCurrentProcessId()) return TRUE;
    request->found.push_back(window);
    return TRUE;
}

std::vector<HWND> Find(const wchar_t* title, DWORD processId, bool foreignOnly) {
    FindRequest request{title, processId, foreignOnly, {}};
    (void)EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

// The job every child joins: closed, and with it every child ended, when
// this process ends.
HANDLE ChildJob() {
    static const UniqueHandle job = [] {
        UniqueHandle created(CreateJobObjectW(nullptr, nullptr));
        if (created) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            (void)SetInformationJobObject(created.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        return created;
    }();
    return job.get();
}

}  // namespace

DWORD WindowProcessId(HWND window) {
    DWORD processId = 0;
    if (window != nullptr) (void)GetWindowThreadProcessId(window, &processId);
    return processId;
}

HWND FindWindowOf(const wchar_t* title, DWORD processId) {
    const std::vector<HWND> found = Find(title, processId, false);
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> WindowsTitled(const wchar_t* title) { return Find(title, 0, false); }

std::vector<HWND> ForeignWindowsTitled(const wchar_t* title) { return Find(title, 0, true); }

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::wstring& exe, const ChildOptions& options) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!options.arguments.empty()) commandLine += L" " + options.arguments;
    const std::wstring folder = !options.workingDirectory.empty() ? options.workingDirectory
                                : options.inCallerFolder          ? std::wstring()
                                                                  : exe.substr(0, exe.find_last_of(L'\\') + 1);
    std::vector<wchar_t> environment = EnvironmentBlock(options.environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool redirected = options.standardOutput != nullptr || options.standardError != nullptr;
    if (redirected) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = options.standardOutput;
        startup.hStdError = options.standardError;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, redirected ? TRUE : FALSE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment.data(),
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        const DWORD error = GetLastError();
        ReportFailure("CreateProcessW failed with error " + std::to_string(error) + " for " + Utf8(exe));
        return nullptr;
    }
    UniqueProcess process(info);
    // Without the job the child still runs; it just could outlive a killed test.
    if (ChildJob() != nullptr) (void)AssignProcessToJobObject(ChildJob(), process.process.get());
    (void)ResumeThread(process.thread.get());
    process.thread.reset();
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(process)));
}

ChildProcess::~ChildProcess() { Terminate(); }

void ChildProcess::Terminate() {
    if (WaitForSingleObject(Handle(), 0) != WAIT_TIMEOUT) return;
    (void)TerminateProcess(Handle(), kExitCodeTerminated);
    (void)WaitForSingleObject(Handle(), kTerminateWaitMs);
}

HWND ChildProcess::WaitForWindow(const wchar_t* title, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = FindWindowOf(title, Id())) {
            // The window can be found while its creation is still running; a
            // sent message is answered only once the thread is back in its
            // message loop.
            const ULONGLONG now = GetTickCount64();
            const UINT left = now < deadline ? static_cast<UINT>(deadline - now) : 1;
            DWORD_PTR ignored = 0;
            if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, left, &ignored) != 0) {
                window_ = window;
                return window;
            }
        }
        // The process handle is the signal of an early end; the window has none.
        if (WaitForSingleObject(Handle(), kPollPeriodMs) == WAIT_OBJECT_0) return nullptr;
        if (GetTickCount64() >= deadline) return nullptr;
    }
}

bool ChildProcess::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return window_ != nullptr && PostMessageW(window_, message, wParam, lParam) != 0;
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(Handle(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(Handle(), &code)) return std::nullopt;
    return code;
}

std::optional<DWORD> ChildProcess::EndWith(UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    if (!Post(message, wParam, lParam))
        ReportFailure("message " + std::to_string(message) + " could not be posted to process " + std::to_string(Id()));
    const std::optional<DWORD> code = WaitForExit(timeoutMs);
    if (!code) {
        ReportFailure("process " + std::to_string(Id()) + " did not end within " + std::to_string(timeoutMs) +
                      " ms after message " + std::to_string(message) + "; terminated");
        Terminate();
    }
    return code;
}

}  // namespace korvid::harness
