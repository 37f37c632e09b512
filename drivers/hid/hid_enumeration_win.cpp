#include "hid/hid_enumeration_win.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

namespace {

// The report IDs of one report type, from the value and the button caps. A
// collection without report IDs declares ID 0, which is left out.
std::vector<std::uint8_t> ReportIds(const HidApi& api, PHIDP_PREPARSED_DATA preparsed, HIDP_REPORT_TYPE type,
                                    USHORT valueCaps, USHORT buttonCaps) {
    std::vector<std::uint8_t> ids;
    if (valueCaps > 0) {
        std::vector<HIDP_VALUE_CAPS> caps(valueCaps);
        USHORT count = valueCaps;
        if (api.HidP_GetValueCaps(type, caps.data(), &count, preparsed) == HIDP_STATUS_SUCCESS) {
            for (USHORT i = 0; i < count && i < valueCaps; ++i) ids.push_back(caps[i].ReportID);
        }
    }
    if (buttonCaps > 0) {
        std::vector<HIDP_BUTTON_CAPS> caps(buttonCaps);
        USHORT count = buttonCaps;
        if (api.HidP_GetButtonCaps(type, caps.data(), &count, preparsed) == HIDP_STATUS_SUCCESS) {
            for (USHORT i = 0; i < count && i < buttonCaps; ++i) ids.push_back(caps[i].ReportID);
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (!ids.empty() && ids.front() == 0) ids.erase(ids.begin());
    return ids;
}

bool IsRefusedAccess(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }

}  // namespace

std::optional<CollectionDeclaration> QueryCollection(const HidApi& api, const std::wstring& path, DWORD* error) {
    const DeviceHandle device(
        api, api.CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (error != nullptr) *error = device ? 0 : GetLastError();
    if (!device) return std::nullopt;

    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (!api.HidD_GetAttributes(device.get(), &attributes)) return std::nullopt;

    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!api.HidD_GetPreparsedData(device.get(), &preparsed)) return std::nullopt;
    HIDP_CAPS caps{};
    const NTSTATUS status = api.HidP_GetCaps(preparsed, &caps);
    CollectionDeclaration info;
    if (status == HIDP_STATUS_SUCCESS) {
        info.path = path;
        info.ids = {attributes.VendorID, attributes.ProductID};
        info.usagePage = caps.UsagePage;
        info.usage = caps.Usage;
        info.inputReportLength = caps.InputReportByteLength;
        info.outputReportLength = caps.OutputReportByteLength;
        info.featureReportLength = caps.FeatureReportByteLength;
        info.inputReportIds =
            ReportIds(api, preparsed, HidP_Input, caps.NumberInputValueCaps, caps.NumberInputButtonCaps);
        info.outputReportIds =
            ReportIds(api, preparsed, HidP_Output, caps.NumberOutputValueCaps, caps.NumberOutputButtonCaps);
        info.featureReportIds =
            ReportIds(api, preparsed, HidP_Feature, caps.NumberFeatureValueCaps, caps.NumberFeatureButtonCaps);
    }
    (void)api.HidD_FreePreparsedData(preparsed);  // nothing to do about a failure
    if (status != HIDP_STATUS_SUCCESS) return std::nullopt;
    return info;
}

std::vector<CollectionDeclaration> DeclaredCollections(const HidApi& api, std::optional<UsbIds> ids) {
    std::vector<CollectionDeclaration> collections;
    for (const std::wstring& path : EnumerateHidInterfaces(api)) {
        std::optional<CollectionDeclaration> info = QueryCollection(api, path);
        if (info && (!ids || info->ids == *ids)) collections.push_back(std::move(*info));
    }
    return collections;
}

DeviceHandle OpenCollection(const HidApi& api, const std::wstring& path, bool overlapped) {
    return DeviceHandle(
        api, api.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr));
}

FeatureOpen OpenForFeatureReports(const HidApi& api, const std::wstring& path) {
    FeatureOpen open;
    open.handle = OpenCollection(api, path, true);
    if (open.handle) return open;
    open.readWriteError = GetLastError();
    if (!IsRefusedAccess(open.readWriteError)) {
        open.error = open.readWriteError;
        return open;
    }
    open.handle = DeviceHandle(api, api.CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!open.handle) open.error = GetLastError();
    open.zeroAccess = static_cast<bool>(open.handle);
    return open;
}

void DebugCollection(const HidApi& api, const CollectionDeclaration& collection, std::wstring_view verdict) {
    const std::string described = DescribeCollection(collection);
    std::wstring line = collection.path + L": " + std::wstring(described.begin(), described.end()) + L": ";
    line.append(verdict);
    DebugLine(api, line);
}

void DebugCollection(const HidApi& api, const CollectionDeclaration& collection, std::string_view verdict) {
    DebugCollection(api, collection, std::wstring(verdict.begin(), verdict.end()));
}

std::wstring ErrorText(DWORD error) {
    std::wstring text = std::to_wstring(error);
    wchar_t* message = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length > 0 && message != nullptr) {
        std::wstring system(message, length);
        while (!system.empty() && (system.back() == L'\n' || system.back() == L'\r' || system.back() == L' ')) {
            system.pop_back();
        }
        text += L" (" + system + L")";
    }
    if (message != nullptr) (void)LocalFree(message);  // nothing to do about a failure
    return text;
}

}  // namespace korvid::hid
