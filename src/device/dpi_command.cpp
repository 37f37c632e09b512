#include "device/dpi_command.h"

namespace korvid {
namespace {

using L = DpiLayout;

// Encodes one axis of all eight stages: the value bytes and the range mask.
void PutAxis(Frame<kDpiLength>& frame, const std::int32_t (&indexes)[kStageCount], std::size_t values,
             std::size_t rangeMask) {
    for (int i = 0; i < kStageCount; ++i) {
        const std::uint8_t index = LowByte(indexes[i]);
        std::uint8_t value = DpiIndexToDevice(index);
        if (index > kDpiHighestDirectIndex) {
            value = DpiIndexToDevice(static_cast<std::uint8_t>(index >> 1));
            frame[rangeMask] |= static_cast<std::uint8_t>(1u << i);
        }
        frame[values + static_cast<std::size_t>(i)] = value;
    }
}

}  // namespace

Frame<kDpiLength> EncodeDpiCommand(const ProfileData& profile, int k) {
    auto frame = NewFrame<DpiLayout>();
    frame[L::kProfile] = static_cast<std::uint8_t>(k);
    frame[L::kOptionA] = LowByte(profile.dpiOptionA);
    frame[L::kOptionB] = LowByte(profile.dpiOptionB);
    for (int i = 0; i < kStageCount; ++i) {
        if (IsFlagSet(profile.stageEnabled[i])) frame[L::kStageMask] |= static_cast<std::uint8_t>(1u << i);
    }
    PutAxis(frame, profile.dpiX, L::kXValues, L::kXRangeMask);
    PutAxis(frame, profile.dpiY, L::kYValues, L::kYRangeMask);
    frame[L::kCurrentStage] = LowByte(profile.currentStage);
    for (int i = 0; i < kStageCount; ++i) {
        PutColor(frame, L::StageColor(i), profile.stageColor[i]);
    }
    frame[L::kOptionC] = profile.dpiOptionC;
    frame[L::kOptionD] = LowByte(profile.dpiOptionD);
    return frame;
}

}  // namespace korvid
