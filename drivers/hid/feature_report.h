// Command frames as HID feature reports.
//
// The host hands SetFeature one command frame: byte 0 is the command number
// (0x04 to 0x0B), and the frame is 3 to 132 bytes long. It goes to the mouse
// as one feature report of the mouse's configuration collection: the command
// number is the report ID, and the frame is padded with zeros to the
// collection's feature report length (HidP_GetCaps FeatureReportByteLength,
// which counts the report ID byte), because Windows sends only reports of
// exactly that length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korvid::hid {

// The longest command frame (the macro upload).
inline constexpr std::size_t kLargestFrameLength = 132;

// A collection can carry every command when its feature reports are at least
// as long as the longest frame.
constexpr bool CanCarryEveryFrame(std::size_t featureReportLength) {
    return featureReportLength >= kLargestFrameLength;
}

// The report for `frame`: its bytes, then zeros up to reportLength. Nothing
// for an empty frame or one longer than the report.
std::optional<std::vector<std::uint8_t>> FeatureReportFromFrame(std::span<const std::uint8_t> frame,
                                                                std::size_t reportLength);

}  // namespace korvid::hid
