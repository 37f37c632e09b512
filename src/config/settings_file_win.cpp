#include "config/settings_file_win.h"

#include <windows.h>

#include "device/device_ids.h"

namespace korvid {
namespace {

std::uint16_t ReadId(const std::wstring& path, const wchar_t* key, std::uint16_t builtIn) {
    wchar_t text[32] = {};
    (void)GetPrivateProfileStringW(L"Device", key, L"", text, 32, path.c_str());
    return ParseDeviceId(reinterpret_cast<const char16_t*>(text)).value_or(builtIn);
}

}  // namespace

void ReadOsdSettings(OsdSettings& settings, const std::wstring& installDir) {
    const std::wstring path = installDir + L"config.ini";
    // Read into a scratch record: some implementations fill the buffer before
    // they find the checksum wrong.
    OsdSettings read{};
    if (GetPrivateProfileStructW(L"OSDSetting", L"config", &read, sizeof read, path.c_str())) settings = read;
}

DeviceIds ReadDeviceIds(const std::wstring& installDir) {
    const std::wstring path = installDir + L"config.ini";
    return {ReadId(path, L"VendorId", kMouseVendorId), ReadId(path, L"ProductId", kMouseProductId)};
}

}  // namespace korvid
