#include "hid/feature_report.h"

#include <algorithm>

namespace korvid::hid {

std::optional<std::vector<std::uint8_t>> FeatureReportFromFrame(std::span<const std::uint8_t> frame,
                                                                std::size_t reportLength) {
    if (frame.empty() || frame.size() > reportLength) return std::nullopt;
    std::vector<std::uint8_t> report(reportLength, 0);
    std::copy(frame.begin(), frame.end(), report.begin());
    return report;
}

}  // namespace korvid::hid
