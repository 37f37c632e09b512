// CMD_LIGHTING: the two lighting zones of one profile. Zone A has a mode, two
// parameters, a colour, a list of eight colours with in-use flags and a third
// parameter; zone B has a mode, two parameters and a colour.
#pragma once

#include <cstdint>

#include "config/share_data.h"
#include "device/command_frame.h"

namespace korvid {

// The mode that turns a zone off; compared as a whole 32-bit value.
inline constexpr std::int32_t kLightModeOff = 5;

// The 45-byte CMD_LIGHTING frame of profile k (0 to 4).
Frame<kLightingLength> EncodeLightingCommand(const ProfileData& profile, int k);

}  // namespace korvid
