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
// The on flag of a mode pair: a zone that is off goes out as 00 00, any other
// mode m as 01 m.
inline constexpr std::uint8_t kLightZoneOn = 0x01;

// The 45-byte CMD_LIGHTING frame (slot i runs from 0 to 7). A mode goes out
// as a pair: an on flag, then the mode.
struct LightingLayout {
    static constexpr std::uint8_t kCommand = CMD_LIGHTING;
    static constexpr const char* kCommandName = "CMD_LIGHTING";
    static constexpr std::size_t kLength = kLightingLength;
    static constexpr std::size_t kProfile = 2;
    // Zone A
    static constexpr std::size_t kModeA = 3;  // on flag, mode
    static constexpr std::size_t kParamA1 = 5;
    static constexpr std::size_t kParamA2 = 6;
    static constexpr std::size_t kColorA = 8;
    static constexpr std::size_t kSlotMask = 11;    // bit i: slot i in use
    static constexpr std::size_t kSlotColors = 12;  // kColorBytes per slot
    static constexpr std::size_t kParamA3 = 36;
    // Zone B
    static constexpr std::size_t kModeB = 37;  // on flag, mode
    static constexpr std::size_t kParamB1 = 39;
    static constexpr std::size_t kParamB2 = 40;
    static constexpr std::size_t kColorB = 42;
    // The device expects 02 before each zone's colour.
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, kLightingLength}, {7, 0x02}, {41, 0x02}});
    static constexpr std::array<std::size_t, 0> kZeros{};

    static constexpr std::size_t SlotColor(int i) { return kSlotColors + kColorBytes * static_cast<std::size_t>(i); }
};
static_assert(LightingLayout::SlotColor(kLightSlotCount) == LightingLayout::kParamA3);
static_assert(LightingLayout::kColorB + kColorBytes == kLightingLength);

// The CMD_LIGHTING frame of profile k (0 to 4).
Frame<kLightingLength> EncodeLightingCommand(const ProfileData& profile, int k);

}  // namespace korvid
