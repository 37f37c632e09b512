#include "config/settings_file_win.h"

#include <windows.h>

#include "device/device_ids.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

std::uint16_t ReadId(const std::wstring& path, const wchar_t* key, std::uint16_t builtIn) {
    wchar_t text[32] = {};
    (void)GetPrivateProfileStringW(kDeviceSection, key, L"", text, 32, path.c_str());
    return ParseDeviceId(reinterpret_cast<const char16_t*>(text)).value_or(builtIn);
}

}  // namespace

void ReadOsdSettings(OsdSettings& settings, const std::wstring& installDir) {
    const std::wstring path = installDir + kSettingsFileName;
    // Read into a scratch record: some implementations fill the buffer before
    // they find the checksum wrong.
    OsdSettings read{};
    if (GetPrivateProfileStructW(kOsdSettingsSection, kOsdSettingsKey, &read, sizeof read, path.c_str()))
        settings = read;
}

DeviceIds ReadDeviceIds(const std::wstring& installDir) {
    const std::wstring path = installDir + kSettingsFileName;
    return {ReadId(path, kVendorIdKey, kMouseVendorId), ReadId(path, kProductIdKey, kMouseProductId)};
}

}  // namespace korvid
