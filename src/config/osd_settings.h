// The on-screen-display settings record, read from config.ini (section
// "OSDSetting", key "config") in the profile-struct encoding. Only osdEnabled
// means anything to the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace korvid {

// The on-screen display's own fields are described in protocol/korvid_protocol.h.
struct OsdSettings {
    std::int32_t osdLayout;
    std::int32_t osdPosition;
    std::int32_t osdEnabled;  // 1: tell the on-screen display about profile changes
    std::int32_t osdShowMs;
    std::int32_t osdFadeMs;
    std::int32_t osdTextSize;
    std::int32_t osdOpacity;
    std::int32_t osdMarginPx;
    std::uint8_t reserved32[316];
};

static_assert(sizeof(OsdSettings) == 348);
static_assert(offsetof(OsdSettings, osdEnabled) == 8);
static_assert(offsetof(OsdSettings, osdMarginPx) == 28);
static_assert(std::is_trivially_copyable_v<OsdSettings>);

}  // namespace korvid
