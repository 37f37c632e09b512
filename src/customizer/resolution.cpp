#include "customizer/resolution.h"

namespace korvid {
namespace {

constexpr int kLastUpperRangeIndex = 125;  // 125 >> 1 = 62, the table's last entry

}  // namespace

std::optional<int> DpiOfIndex(std::int64_t index) {
    if (index < 1 || index > kLastUpperRangeIndex) return std::nullopt;
    const int b = static_cast<int>(index);
    if (b <= kLastDirectIndex) return b * kDpiPerIndexStep;
    return (b >> 1) * 2 * kDpiPerIndexStep;
}

std::optional<int> IndexOfDpi(int dpi) {
    if (dpi <= 0 || dpi % kDpiPerIndexStep != 0) return std::nullopt;
    const int index = dpi / kDpiPerIndexStep;
    if (index <= kLastDirectIndex) return index;
    if (index > kLastUpperIndex || index % 2 != 0) return std::nullopt;
    return index;
}

const std::vector<int>& OfferedDpis() {
    static const std::vector<int> dpis = [] {
        std::vector<int> all;
        for (int i = 1; i <= kLastDirectIndex; ++i) all.push_back(i * kDpiPerIndexStep);
        for (int i = kLastDirectIndex + 2; i <= kLastUpperIndex; i += 2) all.push_back(i * kDpiPerIndexStep);
        return all;
    }();
    return dpis;
}

}  // namespace korvid
