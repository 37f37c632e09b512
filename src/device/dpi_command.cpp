#include "device/dpi_command.h"

namespace korvid {
namespace {

constexpr std::size_t kProfile = 2;
constexpr std::size_t kOptionA = 3;
constexpr std::size_t kOptionB = 4;
constexpr std::size_t kStageMask = 5;
constexpr std::size_t kXRangeMask = 6;
constexpr std::size_t kYRangeMask = 7;
constexpr std::size_t kXValues = 8;   // one byte per stage
constexpr std::size_t kYValues = 16;  // one byte per stage
constexpr std::size_t kCurrentStage = 24;
constexpr std::size_t kStageColors = 25;  // three bytes per stage
constexpr std::size_t kFixed49 = 49;      // the device expects 03 08 here
constexpr std::size_t kFixed50 = 50;
constexpr std::size_t kOptionC = 51;
constexpr std::size_t kOptionD = 52;

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
    auto frame = NewFrame<kDpiLength>(CMD_DPI);
    frame[kProfile] = static_cast<std::uint8_t>(k);
    frame[kOptionA] = LowByte(profile.dpiOptionA);
    frame[kOptionB] = LowByte(profile.dpiOptionB);
    for (int i = 0; i < kStageCount; ++i) {
        if (IsFlagSet(profile.stageEnabled[i])) frame[kStageMask] |= static_cast<std::uint8_t>(1u << i);
    }
    PutAxis(frame, profile.dpiX, kXValues, kXRangeMask);
    PutAxis(frame, profile.dpiY, kYValues, kYRangeMask);
    frame[kCurrentStage] = LowByte(profile.currentStage);
    for (int i = 0; i < kStageCount; ++i) {
        PutColor(frame, kStageColors + 3 * static_cast<std::size_t>(i), profile.stageColor[i]);
    }
    frame[kFixed49] = 0x03;
    frame[kFixed50] = 0x08;
    frame[kOptionC] = profile.dpiOptionC;
    frame[kOptionD] = LowByte(profile.dpiOptionD);
    return frame;
}

}  // namespace korvid
