// Resolution as a person reads it (counts per inch, "DPI") and the index the
// image stores in dpiX and dpiY.
//
// The index counts hundreds of DPI: the factory stages 8, 12, 24, 32 and 62
// are the usual 800, 1200, 2400, 3200 and 6200 DPI, and the device value the
// DPI command sends for an index grows with it at about 2.34 per index. Up to
// index 62 every index is sent as itself (100 to 6200 DPI in steps of 100).
// Above 62 the command sends the value of half the index with the axis's range
// bit set, so two indexes share one device value: the mouse counts in steps of
// 200 there, and this file offers the even indexes 64 to 124 (6400 to 12400
// DPI). Index 0 and indexes above 125 give the device a fallback value no
// person chose, and are never offered.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace korvid {

inline constexpr int kDpiPerIndexStep = 100;
inline constexpr int kLastDirectIndex = 62;
inline constexpr int kLastUpperIndex = 124;

// The DPI the mouse runs at for a stored index, or nothing for an index the
// mouse cannot take as chosen (0, above 125, not a byte).
std::optional<int> DpiOfIndex(std::int64_t index);

// The index to store for a DPI, or nothing when the mouse has no such
// resolution (not a multiple of 100, odd hundreds above 6200, out of range).
std::optional<int> IndexOfDpi(int dpi);

// Every resolution the customizer offers, ascending: 100..6200 by 100, then
// 6400..12400 by 200.
const std::vector<int>& OfferedDpis();

}  // namespace korvid
