// USB vendor and product ID of the mouse, passed to the driver library's
// Set_VIDPID. The [Device] section of config.ini (VendorId, ProductId, hex
// with 0x or decimal) overrides them without a rebuild.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvid {

inline constexpr std::uint16_t kMouseVendorId = 0x25A7;
inline constexpr std::uint16_t kMouseProductId = 0xFA70;

// "0x25A7", "0X25a7" or "9639", white space around allowed; nothing for an
// empty, malformed or out-of-range text (the built-in ID is used then).
std::optional<std::uint16_t> ParseDeviceId(std::u16string_view text);

}  // namespace korvid
