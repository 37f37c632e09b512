// The simulated driver library's log (drivers/sim/README.md): one line per
// call, "<ms> <EntryPoint>[ <args>] -> <result>", and for SetFeature the
// arguments "<length> <byte> <byte> ...", each byte two hex digits. Parsed
// here so korvidctl frames can decode what the host sent to the "mouse".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

struct DriverLogLine {
    std::uint64_t ms = 0;
    std::string entryPoint;
    std::string args;  // empty when the entry point logs none
    std::string result;
};

// Nothing when the line does not have the form above. A CR at the end is
// ignored.
std::optional<DriverLogLine> ParseDriverLogLine(std::string_view line);

// The frame of a SetFeature line's arguments; nothing when the byte count
// differs from the length or a byte is not two hex digits.
std::optional<std::vector<std::uint8_t>> ParseSetFeatureArgs(std::string_view args);

// The whole log for a reader: every SetFeature frame decoded
// ("<ms> CMD_DPI profile 0: ..."), with " -> 0 (not accepted)" when the
// device refused it; other calls as they are logged; lines of another form
// prefixed with "? ".
std::string DecodeDriverLog(std::string_view log);

}  // namespace korvid
