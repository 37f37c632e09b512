// The Windows pointer settings each profile carries: double-click time,
// pointer speed, acceleration (enhanced pointer precision) and wheel scroll
// lines. Here are the conversions between profile fields and Windows values,
// the change test that decides what to apply, and the capture of the user's
// registry values into a profile. The host glue only moves values between
// these functions and Windows.
//
// Contract with the host window (window thread only):
//   - ApplyPointerSettings calls PointerSettingsToApply with the working copy
//     and pushedImage, both read under the working copy's lock, then for each
//     group that is set, in this order (every SystemParametersInfoW call with
//     SPIF_UPDATEINIFILE | SPIF_SENDCHANGE):
//       doubleClickTime   SetDoubleClickTime(t); SPI_SETDOUBLECLICKTIME, uiParam t
//       motion            ApplyPointerMotion: SPI_SETMOUSE, pvParam mouse.data();
//                         then SPI_SETMOUSESPEED, pvParam = (void*)(intptr_t)speed
//       wheelScrollLines  SPI_SETWHEELSCROLLLINES, uiParam v (-1 = page scroll)
//     Negative values go to the UINT parameters as their 32-bit pattern. A
//     failing call does not stop the later ones. pushedImage is not updated.
//   - CapturePointerSettings reads the registry values named in
//     PointerRegistryTexts and passes them to CapturePointerFields for the
//     active profile. When "Control Panel\Mouse" can be neither opened nor
//     created, nothing is captured (no call); when only "Control Panel\Desktop"
//     fails, wheelScrollLines stays empty.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/share_data.h"

namespace korvid {

// Pointer-speed step 1..11 of a profile -> Windows mouse speed 1..20.
inline constexpr std::array<std::int32_t, 11> kSpeedStepToWindows = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
inline constexpr std::int32_t kDefaultSpeedStep = 6;
inline constexpr std::int32_t kDefaultWindowsSpeed = 10;

// Windows mouse speed 0..20 -> step; speeds between the table's values (odd
// speeds, 0) have no step of their own and read as the default step.
inline constexpr std::array<std::int32_t, 21> kWindowsSpeedToStep = [] {
    std::array<std::int32_t, 21> table{};
    table.fill(kDefaultSpeedStep);
    for (std::size_t i = 0; i < kSpeedStepToWindows.size(); ++i)
        table[static_cast<std::size_t>(kSpeedStepToWindows[i])] = static_cast<std::int32_t>(i + 1);
    return table;
}();

// Any step outside 1..11 applies the default speed 10.
constexpr std::int32_t SpeedStepToWindows(std::int32_t step) {
    if (step < 1 || step > static_cast<std::int32_t>(kSpeedStepToWindows.size())) return kDefaultWindowsSpeed;
    return kSpeedStepToWindows[static_cast<std::size_t>(step - 1)];
}

// Any speed outside 0..20 reads as the default step 6.
constexpr std::int32_t WindowsSpeedToStep(std::int32_t speed) {
    if (speed < 0 || speed >= static_cast<std::int32_t>(kWindowsSpeedToStep.size())) return kDefaultSpeedStep;
    return kWindowsSpeedToStep[static_cast<std::size_t>(speed)];
}

// Double-click time in ms for a step: 900 - 70 * step, no clamping (step 13
// gives -10). Computed in 32-bit two's complement, so no stored value is
// undefined.
constexpr std::int32_t DoubleClickTime(std::int32_t step) {
    return static_cast<std::int32_t>(900u - 70u * static_cast<std::uint32_t>(step));
}

// The step a captured double-click time stands for: (900 - ms) / 70, truncated
// toward zero (1000 ms gives -1, 901 ms gives 0).
constexpr std::int32_t DoubleClickStepFromTime(std::int32_t ms) {
    return static_cast<std::int32_t>((std::int64_t{900} - ms) / 70);
}

// SPI_SETMOUSE: first threshold, second threshold, acceleration.
constexpr std::array<int, 3> AccelerationTriple(std::int32_t pointerAcceleration) {
    if (pointerAcceleration != 0) return {6, 10, 1};
    return {0, 0, 0};
}

// The value for SPI_SETWHEELSCROLLLINES: -1 for page scroll, else the lines.
inline constexpr std::int32_t kWheelPageScroll = -1;
constexpr std::int32_t WheelScrollValue(const ProfileData& profile) {
    return profile.wheelScrollPage != 0 ? kWheelPageScroll : profile.wheelScrollLines;
}

struct PointerMotion {
    std::array<int, 3> mouse{};  // SPI_SETMOUSE
    std::int32_t speed = 0;      // SPI_SETMOUSESPEED
    bool operator==(const PointerMotion&) const = default;
};

constexpr PointerMotion PointerMotionOf(const ProfileData& profile) {
    return {AccelerationTriple(profile.pointerAcceleration), SpeedStepToWindows(profile.pointerSpeed)};
}

// What ApplyPointerSettings has to set; an empty group is left alone.
struct PointerApply {
    std::optional<std::int32_t> doubleClickTime;
    std::optional<PointerMotion> motion;
    std::optional<std::int32_t> wheelScrollLines;
    bool Any() const { return doubleClickTime || motion || wheelScrollLines; }
};

// The change test: the active profile of the working copy against the profile
// with the same index in pushedImage (whatever was active there). A group is
// applied when one of its fields differs: double-click (doubleClickSpeed),
// motion (pointerSpeed, pointerAcceleration, always both together), wheel
// (wheelScrollLines, wheelScrollPage). The working copy must be repaired.
PointerApply PointerSettingsToApply(const ShareData& working, const ShareData& pushedImage);

// Registry text to integer: leading white space, an optional sign, decimal
// digits up to the first other character. No digits gives 0. A number in the
// unsigned 32-bit range reads as its 32-bit pattern ("4294967295" is -1, as
// some systems store it); beyond that it saturates.
std::int32_t ParseRegistryInt(std::u16string_view text);

// The user's values as the host read them: the string data of each value, or
// empty when the value is missing, is not a string or could not be read.
struct PointerRegistryTexts {
    // HKCU "Control Panel\Mouse"
    std::optional<std::u16string> doubleClickSpeed{};  // "DoubleClickSpeed", ms
    std::optional<std::u16string> mouseSensitivity{};  // "MouseSensitivity", Windows speed 1..20
    std::optional<std::u16string> mouseSpeed{};        // "MouseSpeed"
    std::optional<std::u16string> mouseThreshold1{};   // "MouseThreshold1"
    std::optional<std::u16string> mouseThreshold2{};   // "MouseThreshold2"
    // HKCU "Control Panel\Desktop"
    std::optional<std::u16string> wheelScrollLines{};  // "WheelScrollLines", -1 = page scroll
};

// Writes the captured values into the five pointer fields of profile. A field
// whose value is missing keeps what it had; acceleration is set off only when
// all three values are present and 0, on when any present one is not 0.
void CapturePointerFields(const PointerRegistryTexts& texts, ProfileData& profile);

}  // namespace korvid
