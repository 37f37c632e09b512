// What the benchmarks share: Korvid.exe with the simulated hiddriver.dll in
// an install folder of their own under the build folder, a configuration
// written into the host's data folder of this Wine prefix, the host started
// and ended, and the frames of the simulated driver's log.
//
// A benchmark is single-instance like the host it runs: scripts/bench starts
// one at a time, in a Wine prefix of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/share_data.h"

namespace korvid::bench {

inline constexpr wchar_t kHostWindowTitle[] = L"QIV_Brennox_2_Gaming mouse_Korvid";
inline constexpr std::uint8_t kCmdEnd = 0x0B;
inline constexpr double kFramePauseMs = 100.0;
// Bound of every wait; a benchmark that reaches it reports the step that failed.
inline constexpr DWORD kWaitMs = 60000;
inline constexpr UINT kProbeTimeoutMs = 5000;

// "/work/build/x" -> "Z:\work\build\x".
std::wstring WinePath(const char* unixPath);
// The benchmarks' scratch folder, bench/work in the build folder.
std::wstring WorkDir();

std::optional<std::string> ReadText(const std::wstring& path);

// Korvid.exe and the simulated hiddriver.dll in <dir>\install\ (the folder is
// made afresh), and the image as Config.data in the host's data folder,
// replacing what was there. The host's path, or nothing after a message on
// stderr.
std::optional<std::wstring> StageHost(const std::wstring& dir, const ShareData& image);

// One SetFeature line of the simulated driver's log:
// "<ms> SetFeature <length> <byte> ... -> <result>".
struct Frame {
    std::uint64_t ms = 0;
    std::uint8_t command = 0;
    bool accepted = false;
};
std::vector<Frame> FramesInLog(const std::wstring& path);
// True once the log holds at least `ends` CMD_END frames.
bool PushesEnded(const std::wstring& log, std::size_t ends);

// Polls done() every 5 ms until it holds or timeoutMs has passed.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(5);
    }
    return true;
}

class Host {
public:
    Host() = default;
    ~Host();  // terminates a host that still runs
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Starts the host with the simulated driver's log switched on and every
    // other KORVID_SIM_ variable removed.
    bool Start(const std::wstring& exe, const std::wstring& log);
    // The host window once its thread answers, that is after the start-up.
    HWND WaitForWindow();
    // WM_CLOSE, then the exit code; nothing when the host did not end.
    std::optional<DWORD> Close(HWND window);

    HANDLE Process() const { return process_.hProcess; }
    DWORD Id() const { return process_.dwProcessId; }

private:
    PROCESS_INFORMATION process_{};
};

}  // namespace korvid::bench
