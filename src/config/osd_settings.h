// The on-screen-display settings record, read from config.ini (section
// "OSDSetting", key "config") in the profile-struct encoding. Only osdEnabled
// means anything to the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace korvid {

struct OsdSettings {
    std::uint8_t reserved0[8];
    std::int32_t osdEnabled;  // 1: tell the on-screen display about profile changes
    std::uint8_t reserved12[336];
};

static_assert(sizeof(OsdSettings) == 348);
static_assert(offsetof(OsdSettings, osdEnabled) == 8);
static_assert(std::is_trivially_copyable_v<OsdSettings>);

}  // namespace korvid
