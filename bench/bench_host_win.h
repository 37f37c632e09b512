// What the benchmarks share beyond the test harness (tests/harness): their
// scratch folder, Korvid.exe with the simulated hiddriver.dll in an install
// folder of their own under it with a configuration written into the host's
// data folder of this Wine prefix, and the host started with the simulated
// driver's log switched on.
//
// A benchmark is single-instance like the host it runs: scripts/bench starts
// one at a time, in a Wine prefix of its own. Failures go to stderr (the
// harness's default reporter).
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "child_process_win.h"
#include "config/share_data.h"
#include "driver_log_win.h"
#include "folders_win.h"
#include "reply_probe_win.h"
#include "waits_win.h"

namespace korvid::bench {

using namespace korvid::harness;

// Bound of every wait; a benchmark that reaches it reports the step that failed.
inline constexpr DWORD kWaitMs = 60000;

// The benchmarks' scratch folder, bench/work in the build folder.
std::wstring WorkDir();

// Korvid.exe and the simulated hiddriver.dll in <dir>\install\ (the folder is
// made afresh), and the image as Config.data in the host's data folder,
// replacing what was there. The host's path, or nothing after a message on
// stderr.
std::optional<std::wstring> StageHost(const std::wstring& dir, const ShareData& image);

// Starts the host with the simulated driver's log at `log` and waits for its
// window (that is, for the end of its start-up); nothing after a message on
// stderr.
std::unique_ptr<ChildProcess> StartHost(const std::wstring& exe, const std::wstring& log);

// Milliseconds on QueryPerformanceCounter's clock.
double NowMs();

}  // namespace korvid::bench
