// One run of Korvid.exe as a child process of the test: started with its own
// environment and argument, its window awaited by title, messages posted to
// it, ended by a message and awaited with a bound. Every wait is bounded; a
// host that does not end in time is terminated and the test fails. The
// destructor terminates a host that is still running, so no host outlives its
// test.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvid::e2e {

inline constexpr wchar_t kHostWindowTitle[] = L"QIV_Brennox_2_Gaming mouse_Korvid";

struct HostOptions {
    // The argument text after the program name ("" for none).
    std::wstring arguments;
    // Variables set for the host on top of the test's own environment, from
    // which every KORVID_SIM_* variable is removed first.
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    // The host's working directory; "" for the folder of the executable.
    std::wstring workingDirectory = {};
};

class HostProcess {
public:
    // Starts exe (in its own folder unless the options name another working
    // directory); nothing when CreateProcessW fails.
    static std::unique_ptr<HostProcess> Start(const std::wstring& exe, const HostOptions& options);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    DWORD Id() const { return processId_; }

    // The host's window (title kHostWindowTitle, owned by this process) once
    // its creation has finished and its thread answers messages; nullptr when
    // that does not happen within the time or the process ends first.
    HWND WaitForWindow(DWORD timeoutMs);
    HWND Window() const { return window_; }

    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // The exit code, or nothing while it still runs after the time.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    // Posts the message to the host window and waits for the process to end.
    // A host that is still running after the time is terminated, the test
    // fails and the result is nothing.
    std::optional<DWORD> EndWith(UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs);
    std::optional<DWORD> Close(DWORD timeoutMs) { return EndWith(WM_CLOSE, 0, 0, timeoutMs); }

private:
    HostProcess(HANDLE process, DWORD processId) : process_(process), processId_(processId) {}

    HANDLE process_;
    DWORD processId_;
    HWND window_ = nullptr;
};

// The top-level window with exactly this title that belongs to the process
// (any process when 0), or nullptr.
HWND FindWindowOf(const wchar_t* title, DWORD processId);
// How many top-level windows carry exactly this title.
int CountWindowsTitled(const wchar_t* title);

}  // namespace korvid::e2e
