// What the push tests read from the simulated driver's log: the frames the
// host sent through SetFeature, in the order the worker sent them, with the
// time each call began and whether the device took it; and images to hand to
// the host (Config.data, the section) with macro buttons and change flags.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "config/share_data.h"
#include "driver_log_win.h"

namespace korvid::e2e {

// The pause that follows every accepted frame.
inline constexpr std::uint64_t kFramePauseMs = 100;
// Frame stamps are GetTickCount64 values, which under Wine move in steps and
// lag the true time by up to about 16 ms: a measured interval may be that much
// shorter than the real one. Twice that is allowed.
inline constexpr std::uint64_t kTickSlackMs = 30;

struct LoggedFrame {
    std::uint64_t ms = 0;             // when SetFeature was called
    std::vector<std::uint8_t> bytes;  // the whole frame
    bool accepted = false;            // SetFeature returned nonzero
    std::uint8_t Command() const { return bytes.empty() ? 0 : bytes[0]; }
};

// Every SetFeature call of the log, in order (one worker sends them all).
std::vector<LoggedFrame> LoggedFrames(const std::vector<DriverCall>& log);
// The frames from index `from` on.
std::vector<LoggedFrame> FramesFrom(const std::vector<LoggedFrame>& frames, std::size_t from);
// The command bytes as hex, separated by spaces: "04 06 06 ... 0B".
std::string CommandBytes(const std::vector<LoggedFrame>& frames);
// The frames of one command, in order.
std::vector<LoggedFrame> FramesOf(const std::vector<LoggedFrame>& frames, std::uint8_t command);
// The whole frames as hex lines, one per frame, for byte-exact comparisons.
std::vector<std::string> HexFrames(const std::vector<LoggedFrame>& frames);
std::vector<std::string> HexFrames(const std::vector<std::vector<std::uint8_t>>& frames);

// Waits until the log at path holds at least `ends` CMD_END frames (each push
// ends with one) and returns its frames; fails the test and returns what
// there is when that does not happen within timeoutMs.
std::vector<LoggedFrame> WaitForPushEnds(const std::wstring& path, std::size_t ends, DWORD timeoutMs);
// The same, then waits out the pause after the last CMD_END: only after it
// does the worker finish the push and take the working copy as pushed, and
// nothing in the log shows that moment. The wait is ten pauses long.
std::vector<LoggedFrame> WaitForPushesDone(const std::wstring& path, std::size_t ends, DWORD timeoutMs);
// Waits until the log holds at least one SetFeature call.
bool WaitForFirstFrame(const std::wstring& path, DWORD timeoutMs);

// "" when the stamps show the pause after every accepted frame but the last:
// the frames span at least kFramePauseMs per such frame (less kTickSlackMs),
// and none of these pauses is missing (each such frame's successor began at
// least half a pause after it: a missing pause shows as a few milliseconds,
// whatever the steps of the tick count). Otherwise what falls short.
std::string MissingPauses(const std::vector<LoggedFrame>& frames);
// The gaps from each frame to the next, of the frames accepted or refused.
std::vector<std::uint64_t> GapsAfter(const std::vector<LoggedFrame>& frames, bool accepted);
std::uint64_t Median(std::vector<std::uint64_t> values);

// The frames that the host's push of this image must send, as the portable
// push sequence builds them (macro names are plain ASCII in these tests).
std::vector<std::vector<std::uint8_t>> ExpectedPush(const ShareData& image, bool pushAll);

std::unique_ptr<ShareData> ImageFromBytes(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> BytesOfImage(const ShareData& image);
// Makes slot j of profile k a macro button (function 16) with a short
// recorded macro, the given option byte and name, and a stale macroNumber
// that every push must replace.
void MakeMacroButton(ShareData& image, int k, int j, std::uint8_t option, const char* name);

}  // namespace korvid::e2e
