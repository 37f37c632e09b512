// The driver library hiddriver.dll, bound once from the install folder into a
// set of typed entry points. An entry point the library lacks stays null and
// is never called: the operation that needs it does nothing and reports
// failure. The contract of the library itself is drivers/hiddriver.h.
#pragma once

#include <string>

#include "base/unique_resource_win.h"
#include "hiddriver.h"
#include "protocol/korvid_protocol.h"

namespace korvid {

class HidDriver {
public:
    // Loads installDir\hiddriver.dll and looks up the seven entry points;
    // true when the library loaded.
    bool BindHidDriver(const std::wstring& installDir);

    // Set_VIDPID, Open_DevMonitor for the window and the two message numbers,
    // then Open_FeatureDevice; true when the device opened for feature reports.
    bool OpenDevice(HWND window, unsigned short vendorId, unsigned short productId);

    bool OpenFeatureDevice();
    void CloseFeatureDevice();
    void CloseDevMonitor();
    // One frame as one feature report; 0 when not sent (or no SetFeature).
    // Called on the worker thread.
    int SetFeature(const unsigned char* frame, int length) const;

    void Unload();  // the library, after every call into it has returned

private:
    UniqueModule library_;
    SetVidPidFn setVidPid_ = nullptr;
    OpenDevMonitorFn openDevMonitor_ = nullptr;
    CloseDevMonitorFn closeDevMonitor_ = nullptr;
    OpenFeatureDeviceFn openFeatureDevice_ = nullptr;
    CloseFeatureDeviceFn closeFeatureDevice_ = nullptr;
    SetFeatureFn setFeature_ = nullptr;
    GetFeatureFn getFeature_ = nullptr;
};

}  // namespace korvid
