// A program the tests or the benchmarks start: Korvid.exe, korvidctl.exe, a
// stand-in of another program of the suite. Started with the caller's
// environment minus every KORVID_SIM_* variable plus the ones given, in the
// program's own folder (unless told otherwise), inside a job that ends it when the starting process
// ends (also when a test runner kills that on a timeout). Every wait is
// bounded; the destructor terminates a child that still runs, so none
// outlives its owner.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/unique_resource_win.h"

namespace korvid::harness {

struct ChildOptions {
    // The argument text after the quoted program name ("" for none).
    std::wstring arguments;
    // Variables set on top of the caller's environment, from which every
    // KORVID_SIM_* variable is removed first.
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    // Standard output and error (inheritable handles), or none.
    HANDLE standardOutput = nullptr;
    HANDLE standardError = nullptr;
    // Runs in the caller's current folder instead of the program's own.
    bool inCallerFolder = false;
    // Runs in this folder instead (when not empty).
    std::wstring workingDirectory = {};
};

class ChildProcess {
public:
    // Starts exe; nothing (after reporting the system error) when
    // CreateProcessW fails.
    static std::unique_ptr<ChildProcess> Start(const std::wstring& exe, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD Id() const { return process_.processId; }
    HANDLE Handle() const { return process_.process.get(); }

    // Its top-level window with exactly this title once the window's thread
    // answers a message (for the host: after its whole start-up); nullptr when
    // that does not happen within the time or the process ends first.
    HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs);
    HWND Window() const { return window_; }
    // Posts to that window; false without one.
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // The exit code, or nothing while it still runs after the time.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    // Posts the message to its window and waits for the process to end. A
    // child still running after the time is terminated, the failure reported
    // and the result is nothing.
    std::optional<DWORD> EndWith(UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs);
    std::optional<DWORD> Close(DWORD timeoutMs) { return EndWith(WM_CLOSE, 0, 0, timeoutMs); }
    // Terminates it when it still runs and waits for the end.
    void Terminate();

private:
    explicit ChildProcess(UniqueProcess process) : process_(std::move(process)) {}

    UniqueProcess process_;
    HWND window_ = nullptr;
};

// The top-level window with exactly this title that belongs to the process
// (any process when 0), or nullptr.
HWND FindWindowOf(const wchar_t* title, DWORD processId);
// Every top-level window with exactly this title.
std::vector<HWND> WindowsTitled(const wchar_t* title);
// Those of them that belong to other processes than this one.
std::vector<HWND> ForeignWindowsTitled(const wchar_t* title);
// The id of the process that owns the window; 0 for none.
DWORD WindowProcessId(HWND window);

}  // namespace korvid::harness
