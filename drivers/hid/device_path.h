// Device interface paths of HID collections, and the USB vendor and product
// IDs written in them.
//
// Windows names every top-level collection of a HID device by an interface
// path whose second '#'-separated part is the collection's hardware ID, for
// example (one line):
//   \\?\HID#VID_25A7&PID_FA70&MI_01&Col02#7&2a1b3c4d&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}
// The device monitor learns only the path when an interface arrives or goes
// (a removed interface can no longer be opened and asked), so it matches by
// the VID_ and PID_ tokens of that part. Opening a device for feature reports
// asks HidD_GetAttributes instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvid::hid {

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    friend bool operator==(const UsbIds&, const UsbIds&) = default;
};

// The IDs of the hardware-ID part of the path: its '&'-separated tokens
// "VID_hhhh" and "PID_hhhh" (four hex digits, any case). Nothing when either
// is missing or malformed, or the path has no hardware-ID part.
std::optional<UsbIds> IdsFromInterfacePath(std::wstring_view path);

bool PathHasIds(std::wstring_view path, UsbIds ids);

// Whether every '&'-separated part of `parts` ("MI_01&Col02", any case) is a
// part of the path's hardware ID. False for empty `parts`.
bool HardwareIdHasParts(std::wstring_view path, std::wstring_view parts);

// The path with ASCII letters in lower case. SetupAPI and WM_DEVICECHANGE may
// spell the same interface in different case; two paths name the same
// interface when their keys are equal.
std::wstring InterfaceKey(std::wstring_view path);

}  // namespace korvid::hid
