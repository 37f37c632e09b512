// The on-screen display's portable rules: its settings in the OSDSetting
// record (defaults and ranges), which WM_OSD_SHOW messages count, where the
// window goes on a monitor and what it says. FerroxOSD.exe and the
// customizer's OSD page share them; nothing here touches Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/osd_settings.h"

namespace korvid {

// osdLayout when the fields after it are set.
inline constexpr std::int32_t kOsdLayoutVersion = 1;
inline constexpr int kOsdPositionCount = 9;  // 3x3 grid, row by row

// The display's settings, each within its range.
struct OsdLook {
    int position;  // 0..8: 0 top left, 4 centre, 7 bottom centre
    int showMs;
    int fadeMs;
    int textSize;  // pixels at 96 DPI
    int opacity;   // percent
    int marginPx;  // pixels at 96 DPI
    friend bool operator==(const OsdLook&, const OsdLook&) = default;
};

// One setting: where it lives in the record and in OsdLook, its range and
// default. The customizer's page has one control per row.
struct OsdField {
    std::int32_t OsdSettings::*stored;
    int OsdLook::*member;
    int minimum;
    int maximum;
    int defaultValue;
};

inline constexpr OsdField kOsdFields[] = {
    {&OsdSettings::osdPosition, &OsdLook::position, 0, kOsdPositionCount - 1, 7},
    {&OsdSettings::osdShowMs, &OsdLook::showMs, 200, 10000, 1500},
    {&OsdSettings::osdFadeMs, &OsdLook::fadeMs, 0, 5000, 600},
    {&OsdSettings::osdTextSize, &OsdLook::textSize, 12, 96, 36},
    {&OsdSettings::osdOpacity, &OsdLook::opacity, 20, 100, 85},
    {&OsdSettings::osdMarginPx, &OsdLook::marginPx, 0, 400, 64},
};

OsdLook DefaultOsdLook();
// The record's look; without the layout marker every field is the default,
// and each field out of its range is its default.
OsdLook DecodeOsdLook(const OsdSettings& settings);
// Writes the look (clamped to the ranges) and the layout marker; osdEnabled
// and the reserved bytes stay as they are.
void EncodeOsdLook(const OsdLook& look, OsdSettings& settings);
// What the install ships: notifications on, the default look.
OsdSettings FactoryOsdSettings();

// The profile index (0..4) a WM_OSD_SHOW carries, or nothing when the wParam
// is not kOsdShowWParam or the index is out of range. The low word of lParam
// is not looked at.
std::optional<int> OsdProfileFromMessage(std::uintptr_t wParam, std::intptr_t lParam);

struct OsdRect {
    int left;
    int top;
    int right;
    int bottom;
    friend bool operator==(const OsdRect&, const OsdRect&) = default;
};

// A length at 96 DPI scaled to the monitor's DPI (rounded).
int ScaleToDpi(int value96, unsigned dpi);
// The window's rectangle in the work area: its grid cell, margin pixels from
// the edges it is near (less where the room is short: at most half of it);
// never outside the work area (a window larger than it is cut to it).
OsdRect PlaceOsd(const OsdRect& workArea, int width, int height, int position, int margin);

// "Profile 3" for index 2.
std::u16string OsdProfileLine(int profileIndex);
// The second line: the profile's name and its bound program's file name,
// each up to its first NUL; empty when both are.
std::u16string OsdDetailLine(std::u16string_view name, std::u16string_view programPath);

// The profile-struct text of config.ini: two upper-case hex digits a byte,
// then the low byte of the bytes' sum as two more.
std::string EncodeProfileStruct(std::span<const std::uint8_t> bytes);
// The bytes of such a text when it has exactly `size` bytes and a matching
// checksum.
std::optional<std::vector<std::uint8_t>> DecodeProfileStruct(std::string_view text, std::size_t size);

}  // namespace korvid
