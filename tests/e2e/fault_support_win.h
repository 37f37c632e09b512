// What the fault, storm and abandoned-mutex tests share: a probe that keeps
// asking the host window for a reply while a fault plays out, the host's
// memory figures, result lists for the simulated driver, the last push of a
// log, the misbehaving customizer (korvid_section_writer) and a look at the
// section mutex.
//
// Figures are printed and recorded (RecordProperty), never asserted against a
// speed: the only bound a test asserts is kReplyBoundMs, far beyond anything
// but a hung window.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_harness_win.h"
#include "push_helpers_win.h"

namespace korvid::e2e {

// The probe (harness ReplyProbe, bound kReplyBoundMs) asks this often.
inline constexpr DWORD kProbePeriodMs = 20;

// Prints "[ figures  ] <what>: ..." and records <key>_median_ms,
// <key>_worst_ms and <key>_replies for the test.
void ReportReplies(const std::string& key, const std::string& what, const ReplyFigures& figures);
// Prints "[ figures  ] <what>: <value> <unit>" and records <key>.
void ReportFigure(const std::string& key, const std::string& what, double value, const char* unit);

// The memory counters of a running process, in bytes.
struct MemoryFigures {
    std::size_t peakWorkingSet = 0;
    std::size_t workingSet = 0;
    std::size_t pagefileUsage = 0;
    std::size_t peakPagefileUsage = 0;
};
std::optional<MemoryFigures> MemoryOf(DWORD processId);

// KORVID_SIM_SETFEATURE for results written '+' (accepted) and '-'
// (refused), one per call: "++-" gives "1,1,0". The last one repeats.
std::wstring SetFeatureResults(std::string_view results);
// '+' for each accepted frame, '-' for each refused one.
std::string Results(const std::vector<LoggedFrame>& frames);
// The frames from the last CMD_BEGIN on; nothing without one.
std::vector<LoggedFrame> LastPush(const std::vector<LoggedFrame>& frames);

// The push an attach asked for: the frames from the first CMD_BEGIN logged
// after the first Open_FeatureDevice from call `from` on, up to its CMD_END.
// Frames of a push under way when the mouse came back are logged after that
// call too, but they come before this CMD_BEGIN (one worker sends them all).
// Nothing while that push has not ended.
std::optional<std::vector<LoggedFrame>> PushAfterReopen(const std::vector<DriverCall>& calls, std::size_t from);

// The built korvid_section_writer.exe (programs/section_writer_win.cpp).
std::wstring SectionWriterExe();

// Waits for the section mutex as the customizer would and releases it at
// once when it got it. WAIT_OBJECT_0: free; WAIT_ABANDONED: its last owner
// ended holding it; WAIT_TIMEOUT: someone holds it; WAIT_FAILED: no mutex.
DWORD SectionMutexWait(DWORD timeoutMs);

}  // namespace korvid::e2e
