// Process-wide state of the host: one of each, shared by the application
// object, the host window and the worker thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "app/unique_resource_win.h"
#include "device/hid_driver_win.h"

namespace korvid {

// Device connection state: 0 = not opened at start-up and not attached
// since, 1 = attached, 2 = removed. Written by the window thread, read by
// both threads.
inline constexpr int kDeviceNotOpened = 0;
inline constexpr int kDeviceAttached = 1;
inline constexpr int kDeviceRemoved = 2;

struct HostProcess {
    int openCustomizerAtStart = 0;  // 1 when the command line asked for the customizer
    std::wstring installDir;        // drive and directory of Korvid.exe, ending with a backslash
    UniqueModule languageLibrary;   // lan.dll, loaded as resources only
    UniqueHandle workerThread;
    DWORD workerThreadId = 0;
    std::atomic<int> deviceState{kDeviceNotOpened};
    HidDriver hidDriver;
};

inline HostProcess host;

}  // namespace korvid
