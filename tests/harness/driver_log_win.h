// The simulated driver library's log, read while the host writes it: one
// line per call, "<ms> <EntryPoint>[ <args>] -> <result>", parsed by the
// core's reader (inspect/driver_log.h); and the frames of its SetFeature
// calls, in the order the host's one worker sent them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/command_frame.h"

namespace korvid::harness {

// The pause the host makes after every accepted frame.
inline constexpr std::uint64_t kFramePauseMs = 100;

struct DriverCall {
    std::uint64_t ms = 0;
    std::string entryPoint;
    std::string args;  // empty when the entry point logs none
    std::string result;
    bool parsed = false;  // false: the line did not have the form above
    std::string line;     // the whole line as written

    // "<EntryPoint>[ <args>] -> <result>": the line without its time stamp.
    std::string Call() const;
};

// Every line of the log (an unterminated last one too); nothing when the
// file does not exist.
std::vector<DriverCall> ReadDriverLog(const std::wstring& path);

// Only the calls of one entry point.
std::vector<DriverCall> CallsOf(const std::vector<DriverCall>& log, const std::string& entryPoint);
// The calls without their time stamps ("unparsed: <line>" for a bad line).
std::vector<std::string> CallTexts(const std::vector<DriverCall>& log);
// The entry point names in log order.
std::vector<std::string> EntryPoints(const std::vector<DriverCall>& log);

struct LoggedFrame {
    std::uint64_t ms = 0;             // when SetFeature was called
    std::vector<std::uint8_t> bytes;  // the whole frame
    bool accepted = false;            // SetFeature returned nonzero
    std::uint8_t Command() const { return bytes.empty() ? 0 : bytes[kCommandByte]; }
};

// Every SetFeature call of the log, in order. A call whose arguments are no
// frame is reported and kept without bytes.
std::vector<LoggedFrame> LoggedFrames(const std::vector<DriverCall>& log);
// The frames from index `from` on.
std::vector<LoggedFrame> FramesFrom(const std::vector<LoggedFrame>& frames, std::size_t from);
// The frames of one command, in order.
std::vector<LoggedFrame> FramesOf(const std::vector<LoggedFrame>& frames, std::uint8_t command);
// How many pushes ended (CMD_END frames).
std::size_t PushEnds(const std::vector<LoggedFrame>& frames);
// The command bytes as hex, separated by spaces: "04 06 06 ... 0B".
std::string CommandBytes(const std::vector<LoggedFrame>& frames);
// The whole frames as hex lines, one per frame, for byte-exact comparisons.
std::vector<std::string> HexFrames(const std::vector<LoggedFrame>& frames);
std::vector<std::string> HexFrames(const std::vector<std::vector<std::uint8_t>>& frames);

// Waits until the log at path holds at least `ends` ended pushes and returns
// its frames; reports a failure and returns what there is when that does not
// happen within timeoutMs.
std::vector<LoggedFrame> WaitForPushEnds(const std::wstring& path, std::size_t ends, DWORD timeoutMs);
// The same, then waits out the pause after the last CMD_END: only after it
// does the worker finish the push and take the working copy as pushed, and
// nothing the host shows marks that moment. The wait is ten pauses long.
std::vector<LoggedFrame> WaitForPushesDone(const std::wstring& path, std::size_t ends, DWORD timeoutMs);
// Waits until the log holds at least one SetFeature call.
bool WaitForFirstFrame(const std::wstring& path, DWORD timeoutMs);

}  // namespace korvid::harness
