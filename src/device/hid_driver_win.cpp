#include "device/hid_driver_win.h"

namespace korvid {
namespace {

template <typename Fn>
void Resolve(HMODULE library, const char* name, Fn& fn) {
    // Through a generic function pointer, so the cast states what it does.
    fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

bool HidDriver::BindHidDriver(const std::wstring& installDir) {
    const std::wstring path = installDir + kDriverLibraryName;
    library_.reset(LoadLibraryW(path.c_str()));
    if (!library_) return false;
    HMODULE m = library_.get();
    Resolve(m, kSetVidPidName, setVidPid_);
    Resolve(m, kOpenDevMonitorName, openDevMonitor_);
    Resolve(m, kCloseDevMonitorName, closeDevMonitor_);
    Resolve(m, kOpenFeatureDeviceName, openFeatureDevice_);
    Resolve(m, kCloseFeatureDeviceName, closeFeatureDevice_);
    Resolve(m, kSetFeatureName, setFeature_);
    Resolve(m, kGetFeatureName, getFeature_);
    return true;
}

bool HidDriver::OpenDevice(HWND window, unsigned short vendorId, unsigned short productId) {
    if (setVidPid_ != nullptr) (void)setVidPid_(vendorId, productId);
    if (openDevMonitor_ != nullptr) (void)openDevMonitor_(window, WM_DEVICE_EVENT, WM_DEVICE_CONNECTION);
    return OpenFeatureDevice();
}

bool HidDriver::OpenFeatureDevice() { return openFeatureDevice_ != nullptr && openFeatureDevice_() != 0; }

void HidDriver::CloseFeatureDevice() {
    if (closeFeatureDevice_ != nullptr) (void)closeFeatureDevice_();
}

void HidDriver::CloseDevMonitor() {
    if (closeDevMonitor_ != nullptr) (void)closeDevMonitor_();
}

int HidDriver::SetFeature(const unsigned char* frame, int length) const {
    return setFeature_ != nullptr ? setFeature_(frame, length) : 0;
}

void HidDriver::Unload() {
    setVidPid_ = nullptr;
    openDevMonitor_ = nullptr;
    closeDevMonitor_ = nullptr;
    openFeatureDevice_ = nullptr;
    closeFeatureDevice_ = nullptr;
    setFeature_ = nullptr;
    getFeature_ = nullptr;
    library_.reset();
}

}  // namespace korvid
