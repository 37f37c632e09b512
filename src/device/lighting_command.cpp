#include "device/lighting_command.h"

namespace korvid {
namespace {

constexpr std::size_t kProfile = 2;
// Zone A
constexpr std::size_t kModeA = 3;  // on flag, mode
constexpr std::size_t kParamA1 = 5;
constexpr std::size_t kParamA2 = 6;
constexpr std::size_t kFixedA = 7;  // the device expects 02 here
constexpr std::size_t kColorA = 8;
constexpr std::size_t kSlotMask = 11;
constexpr std::size_t kSlotColors = 12;  // three bytes per slot
constexpr std::size_t kParamA3 = 36;
// Zone B
constexpr std::size_t kModeB = 37;  // on flag, mode
constexpr std::size_t kParamB1 = 39;
constexpr std::size_t kParamB2 = 40;
constexpr std::size_t kFixedB = 41;  // the device expects 02 here
constexpr std::size_t kColorB = 42;

// A zone that is off goes out as 00 00; any other mode m as 01 m.
void PutMode(Frame<kLightingLength>& frame, std::size_t at, std::int32_t mode) {
    if (mode == kLightModeOff) return;  // the frame is already zero there
    frame[at] = 0x01;
    frame[at + 1] = LowByte(mode);
}

}  // namespace

Frame<kLightingLength> EncodeLightingCommand(const ProfileData& profile, int k) {
    auto frame = NewFrame<kLightingLength>(CMD_LIGHTING);
    frame[kProfile] = static_cast<std::uint8_t>(k);

    PutMode(frame, kModeA, profile.lightModeA);
    frame[kParamA1] = LowByte(profile.lightParamA1);
    frame[kParamA2] = LowByte(profile.lightParamA2);
    frame[kFixedA] = 0x02;
    PutColor(frame, kColorA, profile.lightColorA);
    for (int i = 0; i < kLightSlotCount; ++i) {
        if (IsFlagSet(profile.lightSlotEnabled[i])) frame[kSlotMask] |= static_cast<std::uint8_t>(1u << i);
        // A slot that is not in use still sends its colour.
        PutColor(frame, kSlotColors + 3 * static_cast<std::size_t>(i), profile.lightSlotColor[i]);
    }
    frame[kParamA3] = LowByte(profile.lightParamA3);

    PutMode(frame, kModeB, profile.lightModeB);
    frame[kParamB1] = LowByte(profile.lightParamB1);
    frame[kParamB2] = LowByte(profile.lightParamB2);
    frame[kFixedB] = 0x02;
    PutColor(frame, kColorB, profile.lightColorB);
    return frame;
}

}  // namespace korvid
