// Event reports: what the mouse tells the host about things that happen on it
// (profile button, DPI button, a button assigned to launching a program or to
// opening the customizer).
//
// The mouse sends them as input reports of the collection that declares
// their report ID (collection_choice.h):
//
//   byte 0     report ID kEventReportId (0x0C)
//   bytes 1-2  event class, little-endian (EVENT_PROFILE ... below)
//   bytes 3-4  argument, little-endian (1-based profile, stage or slot number)
//   bytes 5-   padding up to the collection's input report length; ignored
//
// The driver posts each valid report to the host as eventMsg with wParam = the
// class and lParam = the argument. Input reports with another report ID, of an
// unknown class, or shorter than five bytes are dropped. The argument is not
// checked here: the host ignores arguments out of range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace korvid::hid {

inline constexpr std::uint8_t kEventReportId = 0x0C;
inline constexpr std::size_t kEventReportLength = 5;  // report ID, class, argument

// Event classes a report may carry. Attach and removal (class 0x7F00 at the
// host) come from the system's device notifications, never from a report.
inline constexpr std::uint16_t EVENT_PROFILE = 0x3000;          // profile number 1..5
inline constexpr std::uint16_t EVENT_LAUNCH_PROGRAM = 0x6000;   // button slot number 1..15
inline constexpr std::uint16_t EVENT_OPEN_CUSTOMIZER = 0xA000;  // 1
inline constexpr std::uint16_t EVENT_DPI_STAGE = 0xB000;        // DPI stage number 1..8

struct EventReport {
    std::uint16_t eventClass = 0;
    std::uint16_t argument = 0;
    friend bool operator==(const EventReport&, const EventReport&) = default;
};

// The event of one input report as read from the device (report ID first).
std::optional<EventReport> ParseEventReport(std::span<const std::uint8_t> report);

}  // namespace korvid::hid
