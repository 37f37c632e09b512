#include "config/osd_settings_win.h"

#include <windows.h>

namespace korvid {

void ReadOsdSettings(OsdSettings& settings, const std::wstring& installDir) {
    const std::wstring path = installDir + L"config.ini";
    // Read into a scratch record: some implementations fill the buffer before
    // they find the checksum wrong.
    OsdSettings read{};
    if (GetPrivateProfileStructW(L"OSDSetting", L"config", &read, sizeof read, path.c_str())) settings = read;
}

}  // namespace korvid
