#include "hid/hid_enumeration_win.h"

#include <cstddef>
#include <cwchar>

namespace korvid::hid {
namespace {

// The device path of one enumerated interface: a size query, then the detail
// record, whose cbSize is that of the fixed part only.
std::optional<std::wstring> InterfacePath(const HidApi& api, HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) {
    DWORD required = 0;
    (void)api.SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);  // fails: size only
    if (required < offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + sizeof(WCHAR)) return std::nullopt;
    std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!api.SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr)) return std::nullopt;
    const std::size_t maxChars = (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(WCHAR);
    return std::wstring(detail->DevicePath, wcsnlen(detail->DevicePath, maxChars));
}

}  // namespace

std::vector<std::wstring> EnumerateHidInterfaces(const HidApi& api) {
    std::vector<std::wstring> paths;
    GUID hidGuid;
    api.HidD_GetHidGuid(&hidGuid);
    HDEVINFO set = api.SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return paths;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        // Ends with ERROR_NO_MORE_ITEMS; any other failure ends the list as well.
        if (!api.SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &data)) break;
        if (std::optional<std::wstring> path = InterfacePath(api, set, data)) paths.push_back(std::move(*path));
    }
    (void)api.SetupDiDestroyDeviceInfoList(set);  // nothing to do about a failure
    return paths;
}

std::optional<CollectionInfo> QueryCollection(const HidApi& api, const std::wstring& path) {
    const DeviceHandle device(
        api, api.CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) return std::nullopt;

    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (!api.HidD_GetAttributes(device.get(), &attributes)) return std::nullopt;

    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!api.HidD_GetPreparsedData(device.get(), &preparsed)) return std::nullopt;
    HIDP_CAPS caps{};
    const NTSTATUS status = api.HidP_GetCaps(preparsed, &caps);
    (void)api.HidD_FreePreparsedData(preparsed);  // nothing to do about a failure
    if (status != HIDP_STATUS_SUCCESS) return std::nullopt;

    CollectionInfo info;
    info.ids = {attributes.VendorID, attributes.ProductID};
    info.usagePage = caps.UsagePage;
    info.usage = caps.Usage;
    info.inputReportLength = caps.InputReportByteLength;
    info.featureReportLength = caps.FeatureReportByteLength;
    return info;
}

DeviceHandle OpenCollection(const HidApi& api, const std::wstring& path, bool overlapped) {
    return DeviceHandle(
        api, api.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr));
}

}  // namespace korvid::hid
