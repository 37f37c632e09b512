// config.ini in the install folder: the on-screen-display settings and the
// mouse's USB IDs. The host reads it once at start-up and never writes it.
#pragma once

#include <cstdint>
#include <string>

#include "config/osd_settings.h"

namespace korvid {

// Reads the record from installDir\config.ini. When the file, section or key
// is missing, or the value has the wrong length or checksum, the record keeps
// what it held.
void ReadOsdSettings(OsdSettings& settings, const std::wstring& installDir);

struct DeviceIds {
    std::uint16_t vendorId;
    std::uint16_t productId;
};

// [Device] VendorId and ProductId, each falling back to the built-in ID.
DeviceIds ReadDeviceIds(const std::wstring& installDir);

}  // namespace korvid
