#include "hid/event_report.h"

#include <algorithm>
#include <array>

namespace korvid::hid {
namespace {

constexpr std::array<std::uint16_t, 4> kReportedClasses = {EVENT_PROFILE, EVENT_LAUNCH_PROGRAM, EVENT_OPEN_CUSTOMIZER,
                                                           EVENT_DPI_STAGE};

std::uint16_t Little16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

}  // namespace

std::optional<EventReport> ParseEventReport(std::span<const std::uint8_t> report) {
    if (report.size() < kEventReportLength || report[0] != kEventReportId) return std::nullopt;
    const EventReport event{Little16(report, 1), Little16(report, 3)};
    if (std::find(kReportedClasses.begin(), kReportedClasses.end(), event.eventClass) == kReportedClasses.end()) {
        return std::nullopt;
    }
    return event;
}

}  // namespace korvid::hid
