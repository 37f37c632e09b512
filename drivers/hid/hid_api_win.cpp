#include "hid/hid_api_win.h"

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
        ::HidD_GetAttributes,
        ::HidD_GetPreparsedData,
        ::HidD_FreePreparsedData,
        ::HidP_GetCaps,
        ::HidD_SetFeature,
        ::HidD_GetFeature,
    };
    return api;
}

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
