#include "device/lighting_command.h"

namespace korvid {
namespace {

using L = LightingLayout;

void PutMode(Frame<kLightingLength>& frame, std::size_t at, std::int32_t mode) {
    if (mode == kLightModeOff) return;  // the frame is already zero there
    frame[at] = kLightZoneOn;
    frame[at + 1] = LowByte(mode);
}

}  // namespace

Frame<kLightingLength> EncodeLightingCommand(const ProfileData& profile, int k) {
    auto frame = NewFrame<LightingLayout>();
    frame[L::kProfile] = static_cast<std::uint8_t>(k);

    PutMode(frame, L::kModeA, profile.lightModeA);
    frame[L::kParamA1] = LowByte(profile.lightParamA1);
    frame[L::kParamA2] = LowByte(profile.lightParamA2);
    PutColor(frame, L::kColorA, profile.lightColorA);
    for (int i = 0; i < kLightSlotCount; ++i) {
        if (IsFlagSet(profile.lightSlotEnabled[i])) frame[L::kSlotMask] |= static_cast<std::uint8_t>(1u << i);
        // A slot that is not in use still sends its colour.
        PutColor(frame, L::SlotColor(i), profile.lightSlotColor[i]);
    }
    frame[L::kParamA3] = LowByte(profile.lightParamA3);

    PutMode(frame, L::kModeB, profile.lightModeB);
    frame[L::kParamB1] = LowByte(profile.lightParamB1);
    frame[L::kParamB2] = LowByte(profile.lightParamB2);
    PutColor(frame, L::kColorB, profile.lightColorB);
    return frame;
}

}  // namespace korvid
