// USB vendor and product ID of the mouse, passed to the driver library's
// Set_VIDPID. The [Device] section of config.ini may override them.
#pragma once

#include <cstdint>

namespace korvid {

inline constexpr std::uint16_t kMouseVendorId = 0x25A7;
inline constexpr std::uint16_t kMouseProductId = 0xFA70;

}  // namespace korvid
