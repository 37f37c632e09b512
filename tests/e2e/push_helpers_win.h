// What the push tests read from the frames in the simulated driver's log
// (tests/harness/driver_log_win.h): the pauses between them; and images to hand to
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
#include "e2e_harness_win.h"

namespace korvid::e2e {

// Frame stamps are GetTickCount64 values, which under Wine move in steps and
// lag the true time by up to about 16 ms: a measured interval may be that much
// shorter than the real one. Twice that is allowed.
inline constexpr std::uint64_t kTickSlackMs = 30;

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
