#include "hid/hid_library_win.h"

#include <optional>

namespace korvid::hid {

int HidLibrary::SetVidPid(unsigned short vendorId, unsigned short productId) {
    ids_.Set({vendorId, productId});
    return 1;
}

int HidLibrary::OpenDevMonitor(HWND window, UINT eventMsg, UINT connectionMsg) {
    return monitor_.Start({window, eventMsg, connectionMsg}) ? 1 : 0;
}

int HidLibrary::CloseDevMonitor() {
    monitor_.Stop();
    return 1;
}

int HidLibrary::OpenFeatureDevice() {
    const std::optional<UsbIds> ids = ids_.Get();
    if (!ids) {
        feature_.Close();
        return 0;
    }
    return feature_.Open(*ids, ids_.names()) ? 1 : 0;
}

int HidLibrary::CloseFeatureDevice() {
    feature_.Close();
    return 1;
}

int HidLibrary::SetFeature(const unsigned char* frame, int length) { return feature_.Send(frame, length) ? 1 : 0; }

int HidLibrary::GetFeature(unsigned char* buffer, int length) { return feature_.Receive(buffer, length); }

}  // namespace korvid::hid
