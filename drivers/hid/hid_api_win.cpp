#include "hid/hid_api_win.h"

#include <string>
#include <utility>

namespace korvid::hid {

const HidApi& SystemHidApi() {
    static const HidApi api{
        ::HidD_GetHidGuid,
        ::SetupDiGetClassDevsW,
        ::SetupDiEnumDeviceInterfaces,
        ::SetupDiGetDeviceInterfaceDetailW,
        ::SetupDiDestroyDeviceInfoList,
        ::CreateFileW,
        ::CloseHandle,
        ::ReadFile,
        ::GetOverlappedResult,
        ::CancelIoEx,
        ::DeviceIoControl,
        ::HidD_GetAttributes,
        ::HidD_GetPreparsedData,
        ::HidD_FreePreparsedData,
        ::HidP_GetCaps,
        ::HidP_GetValueCaps,
        ::HidP_GetButtonCaps,
        ::HidD_GetFeature,
        ::OutputDebugStringW,
    };
    return api;
}

void DebugLine(const HidApi& api, std::wstring_view text) {
    std::wstring line = L"hiddriver: ";
    line.append(text);
    line += L'\n';
    api.OutputDebugStringW(line.c_str());
}

void DebugLine(const HidApi& api, std::string_view text) { DebugLine(api, std::wstring(text.begin(), text.end())); }

DeviceHandle::DeviceHandle(DeviceHandle&& other) noexcept
    : api_(other.api_), handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}

DeviceHandle& DeviceHandle::operator=(DeviceHandle&& other) noexcept {
    if (this != &other) {
        reset();
        api_ = other.api_;
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
}

void DeviceHandle::reset() {
    if (handle_ != INVALID_HANDLE_VALUE) (void)api_->CloseHandle(handle_);  // nothing to do about a failed close
    handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace korvid::hid
