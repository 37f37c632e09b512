// The driver library contract: hiddriver.dll, loaded by Korvid.exe from its
// install folder. Two implementations exist: drivers/sim (a simulated mouse
// for tests and the demo) and the real one on the Windows HID stack.
//
// Who calls what, on which thread:
//   - The host's window thread calls Set_VIDPID, Open_DevMonitor and
//     Open_FeatureDevice at start-up, Open_FeatureDevice again on every attach,
//     Close_FeatureDevice on removal, and Close_DevMonitor then
//     Close_FeatureDevice at shut-down (after the worker thread has ended).
//   - The host's worker thread calls SetFeature, one command frame at a time.
//     A library must therefore let SetFeature run while the window thread is
//     inside another entry point.
//   - GetFeature is bound but never called by the host.
//   - After Open_DevMonitor the library posts to the given window, from any
//     thread of its own: eventMsg (wParam = event class, low word of lParam =
//     event value) and connectionMsg (wParam 1 = arrival, 0 = removal).
// Ownership: the frame passed to SetFeature belongs to the caller and is only
// read during the call. Results other than those of Open_FeatureDevice and
// SetFeature (nonzero = success) are ignored by the host.
#pragma once

#include <windows.h>

extern "C" {
using SetVidPidFn = int (*)(unsigned short vendorId, unsigned short productId);
using OpenDevMonitorFn = int (*)(HWND window, UINT eventMsg, UINT connectionMsg);
using CloseDevMonitorFn = int (*)();
using OpenFeatureDeviceFn = int (*)();
using CloseFeatureDeviceFn = int (*)();
using SetFeatureFn = int (*)(const unsigned char* frame, int length);
using GetFeatureFn = int (*)(unsigned char* buffer, int length);
}

// The entry point names, one for each type above.
inline constexpr char kSetVidPidName[] = "Set_VIDPID";
inline constexpr char kOpenDevMonitorName[] = "Open_DevMonitor";
inline constexpr char kCloseDevMonitorName[] = "Close_DevMonitor";
inline constexpr char kOpenFeatureDeviceName[] = "Open_FeatureDevice";
inline constexpr char kCloseFeatureDeviceName[] = "Close_FeatureDevice";
inline constexpr char kSetFeatureName[] = "SetFeature";
inline constexpr char kGetFeatureName[] = "GetFeature";

// All seven, in the order the host looks them up.
inline constexpr const char* kHidDriverEntryPoints[] = {
    kSetVidPidName,          kOpenDevMonitorName, kCloseDevMonitorName, kOpenFeatureDeviceName,
    kCloseFeatureDeviceName, kSetFeatureName,     kGetFeatureName,
};
