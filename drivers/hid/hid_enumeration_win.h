// Finding HID collections: the interface paths of the present ones, and what
// one of them is (IDs, usage page, report lengths). Every call goes through
// the given table; nothing here keeps state, so any thread may call it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hid/device_path.h"
#include "hid/hid_api_win.h"

namespace korvid::hid {

// The interface paths of all present HID collections, in SetupAPI's order.
// Empty when the enumeration fails.
std::vector<std::wstring> EnumerateHidInterfaces(const HidApi& api);

struct CollectionInfo {
    UsbIds ids;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::size_t inputReportLength = 0;    // report ID byte included; 0 = no input reports
    std::size_t featureReportLength = 0;  // report ID byte included; 0 = no feature reports
};

// Opens the collection without read or write access (which works for every
// HID collection, also those Windows holds for itself) and asks it. Nothing
// when it cannot be opened (gone since the enumeration) or asked.
std::optional<CollectionInfo> QueryCollection(const HidApi& api, const std::wstring& path);

// Opens the collection for reading and writing reports; an invalid handle when
// that fails. `overlapped` for the event reader, whose reads must be
// cancellable.
DeviceHandle OpenCollection(const HidApi& api, const std::wstring& path, bool overlapped);

}  // namespace korvid::hid
