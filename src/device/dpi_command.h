// CMD_DPI: the eight DPI stages of one profile, with the stages in use, the
// current stage, a colour per stage and four option bytes. Resolutions are
// stored as indexes; DpiIndexToDevice turns an index into the byte the device
// takes. An index above 62 stands for the upper range: it is sent as the value
// of half the index, with the stage's bit set in the range mask of its axis.
#pragma once

#include <array>
#include <cstdint>

#include "config/share_data.h"
#include "device/command_frame.h"

namespace korvid {

// The value of every index the table does not list (0, and 63 and above).
inline constexpr std::uint8_t kDpiUnlistedValue = 34;
// The highest index that addresses the table directly.
inline constexpr std::uint8_t kDpiHighestDirectIndex = 62;

// Device value of resolution index 0 to 62; entry 0 is the unlisted value.
inline constexpr std::array<std::uint8_t, kDpiHighestDirectIndex + 1> kDpiIndexTable = {
    kDpiUnlistedValue,
    // 1 to 16
    4, 4, 6, 9, 11, 14, 16, 18, 21, 23, 25, 27, 29, 32, 34, 36,
    // 17 to 32
    39, 41, 43, 46, 48, 50, 52, 55, 57, 59, 62, 64, 66, 69, 72, 74,
    // 33 to 48
    77, 78, 81, 84, 85, 88, 91, 93, 95, 98, 100, 102, 105, 107, 109, 112,
    // 49 to 62
    114, 116, 119, 121, 123, 126, 128, 130, 133, 135, 137, 140, 142, 145};
static_assert(kDpiIndexTable.back() == 145, "one value for every index 0 to 62");

constexpr std::uint8_t DpiIndexToDevice(std::uint8_t index) {
    return index < kDpiIndexTable.size() ? kDpiIndexTable[index] : kDpiUnlistedValue;
}

// The 54-byte CMD_DPI frame (stage i runs from 0 to 7).
struct DpiLayout {
    static constexpr std::uint8_t kCommand = CMD_DPI;
    static constexpr const char* kCommandName = "CMD_DPI";
    static constexpr std::size_t kLength = kDpiLength;
    static constexpr std::size_t kProfile = 2;
    static constexpr std::size_t kOptionA = 3;
    static constexpr std::size_t kOptionB = 4;
    static constexpr std::size_t kStageMask = 5;   // bit i: stage i in use
    static constexpr std::size_t kXRangeMask = 6;  // bit i: X of stage i in the upper range
    static constexpr std::size_t kYRangeMask = 7;  // bit i: Y of stage i in the upper range
    static constexpr std::size_t kXValues = 8;     // one device value per stage
    static constexpr std::size_t kYValues = 16;    // one device value per stage
    static constexpr std::size_t kCurrentStage = 24;
    static constexpr std::size_t kStageColors = 25;  // kColorBytes per stage
    static constexpr std::size_t kOptionC = 51;
    static constexpr std::size_t kOptionD = 52;
    // The device expects 03 08 between the colours and dpiOptionC.
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, kDpiLength}, {49, 0x03}, {50, 0x08}});
    static constexpr auto kZeros = std::to_array<std::size_t>({53});

    static constexpr std::size_t StageColor(int i) { return kStageColors + kColorBytes * static_cast<std::size_t>(i); }
};
static_assert(DpiLayout::kYValues == DpiLayout::kXValues + kStageCount);
static_assert(DpiLayout::kCurrentStage == DpiLayout::kYValues + kStageCount);
static_assert(DpiLayout::StageColor(kStageCount) == DpiLayout::kFixed[1].at);

// The CMD_DPI frame of profile k (0 to 4).
Frame<kDpiLength> EncodeDpiCommand(const ProfileData& profile, int k);

}  // namespace korvid
