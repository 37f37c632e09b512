#pragma once

#include <string>

#include "config/osd_settings.h"

namespace korvid {

// Reads the record from installDir\config.ini. When the file, section or key
// is missing, or the value has the wrong length or checksum, the record keeps
// what it held.
void ReadOsdSettings(OsdSettings& settings, const std::wstring& installDir);

}  // namespace korvid
