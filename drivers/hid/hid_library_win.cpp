#include "hid/hid_library_win.h"

#include <optional>

namespace korvid::hid {

// Every operation turns an exception into its failure result (0; 1 for the
// operations that report nothing).

int HidLibrary::SetVidPid(unsigned short vendorId, unsigned short productId) {
    return Guarded(api_, L"Set_VIDPID", 1, [&] {
        ids_.Set({vendorId, productId});
        return 1;
    });
}

int HidLibrary::OpenDevMonitor(HWND window, UINT eventMsg, UINT connectionMsg) {
    return Guarded(api_, L"Open_DevMonitor", 0, [&] {
        return monitor_.Start({window, eventMsg, connectionMsg}) ? 1 : 0;
    });
}

int HidLibrary::CloseDevMonitor() {
    return Guarded(api_, L"Close_DevMonitor", 1, [&] {
        monitor_.Stop();
        return 1;
    });
}

int HidLibrary::OpenFeatureDevice() {
    return Guarded(api_, L"Open_FeatureDevice", 0, [&] {
        const std::optional<UsbIds> ids = ids_.Get();
        if (!ids) {
            feature_.Close();
            return 0;
        }
        return feature_.Open(*ids, ids_.names()) ? 1 : 0;
    });
}

int HidLibrary::CloseFeatureDevice() {
    return Guarded(api_, L"Close_FeatureDevice", 1, [&] {
        feature_.Close();
        return 1;
    });
}

int HidLibrary::SetFeature(const unsigned char* frame, int length) {
    return Guarded(api_, L"SetFeature", 0, [&] { return feature_.Send(frame, length) ? 1 : 0; });
}

int HidLibrary::GetFeature(unsigned char* buffer, int length) {
    return Guarded(api_, L"GetFeature", 0, [&] { return feature_.Receive(buffer, length); });
}

}  // namespace korvid::hid
