// Command frames back into words: one line per frame, naming the command,
// the profile and the image fields the bytes came from, for korvidctl frames
// and for people reading a simulated driver's log. A pure function of the
// bytes; it never fails.
//
//   CMD_BEGIN
//   CMD_ACTIVE_PROFILE activeProfile 2
//   CMD_DPI profile 0: stages 1-5 on, current 2, X 18 27 55 74 145 21 23 25, Y ..., stageColor #FF0000 ...,
//       dpiOptionA 10, dpiOptionB 10, dpiOptionC 0, dpiOptionD 2
//   CMD_OPTION07 profile 1: option07 2
//   CMD_LIGHTING profile 0: zone A mode 2, lightParamA1 2, ...; zone B off, lightParamB1 2, ...
//   CMD_BUTTONS profile 0: [0] function 1, [1] function 2, ..., [6-17] none, [18] function 9, [19] function 10
//   CMD_MACRO 1: macroOption 0, macroRepeat 1, macroName "abc", steps press 4 ~102ms, release 4 300ms
//   CMD_END profileOption 2
//
// Stages are numbered from 1 as on the mouse; profiles and button slots from
// 0 as in the field names. X and Y are the bytes the device takes (not the
// stored indexes); a "*" marks a value in the upper range. Colours are
// #RRGGBB. A short macro step carries its delay in 2 ms units, hence "~".
// Bytes that break the command's layout (a wrong length, a fixed byte that
// differs, a byte that should be 0) are listed at the end in brackets.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace korvid {

std::string DecodeFrame(std::span<const std::uint8_t> frame);

// Bytes as a person reads them off a USB capture: "04 00 FF".
std::string Hex(std::span<const std::uint8_t> bytes);

}  // namespace korvid
