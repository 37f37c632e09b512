// The system calls the driver makes on HID devices, as one table of function
// pointers: SetupAPI enumeration, hid.dll, and the kernel32 file calls on a
// device handle. SystemHidApi() holds the real functions; the tests under Wine
// pass a table of their own that stands for a list of fake devices.
//
// Only calls on devices go through the table, and the debug output (so that
// the tests can read the library's diagnostics). Windows, threads, events and
// device notifications are the system's own in every build.
#pragma once

#include <windows.h>
// after windows.h
#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
}

#include <string>
#include <string_view>

namespace korvid::hid {

struct HidApi {
    decltype(&::HidD_GetHidGuid) HidD_GetHidGuid;
    decltype(&::SetupDiGetClassDevsW) SetupDiGetClassDevsW;
    decltype(&::SetupDiEnumDeviceInterfaces) SetupDiEnumDeviceInterfaces;
    decltype(&::SetupDiGetDeviceInterfaceDetailW) SetupDiGetDeviceInterfaceDetailW;
    decltype(&::SetupDiDestroyDeviceInfoList) SetupDiDestroyDeviceInfoList;

    decltype(&::CreateFileW) CreateFileW;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::ReadFile) ReadFile;
    decltype(&::GetOverlappedResult) GetOverlappedResult;
    decltype(&::CancelIoEx) CancelIoEx;
    decltype(&::DeviceIoControl) DeviceIoControl;

    decltype(&::HidD_GetAttributes) HidD_GetAttributes;
    decltype(&::HidD_GetPreparsedData) HidD_GetPreparsedData;
    decltype(&::HidD_FreePreparsedData) HidD_FreePreparsedData;
    decltype(&::HidP_GetCaps) HidP_GetCaps;
    decltype(&::HidP_GetValueCaps) HidP_GetValueCaps;
    decltype(&::HidP_GetButtonCaps) HidP_GetButtonCaps;
    decltype(&::HidD_GetFeature) HidD_GetFeature;

    decltype(&::OutputDebugStringW) OutputDebugStringW;
};

// The table of the real system functions.
const HidApi& SystemHidApi();

// One diagnostic line to the debugger output: "hiddriver: " + text.
void DebugLine(const HidApi& api, std::wstring_view text);
// The same for ASCII text (the portable core's verdicts).
void DebugLine(const HidApi& api, std::string_view text);

// Runs `call` and returns its result; when it throws, a debug line
// "<what> failed unexpectedly" and `failure` instead. No exception leaves the
// library's entry points or ends its thread this way.
template <typename Call>
int Guarded(const HidApi& api, const wchar_t* what, int failure, Call call) noexcept {
    try {
        return call();
    } catch (...) {
        try {
            DebugLine(api, std::wstring(what) + L" failed unexpectedly");
        } catch (...) {
            (void)0;  // nothing left to tell it with
        }
        return failure;
    }
}

// A device handle opened through a table, closed through the same table.
class DeviceHandle {
public:
    DeviceHandle() = default;
    DeviceHandle(const HidApi& api, HANDLE handle) : api_(&api), handle_(handle) {}
    DeviceHandle(DeviceHandle&& other) noexcept;
    DeviceHandle& operator=(DeviceHandle&& other) noexcept;
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;
    ~DeviceHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    void reset();

private:
    const HidApi* api_ = nullptr;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace korvid::hid
