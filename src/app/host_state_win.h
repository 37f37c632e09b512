// Process-wide state of the host: one of each, shared by the application
// object, the host window and the worker thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "base/unique_resource_win.h"
#include "device/hid_driver_win.h"
#include "runtime/device_event.h"

namespace korvid {

struct HostProcess {
    int openCustomizerAtStart = 0;  // 1 when the command line asked for the customizer
    std::wstring installDir;        // drive and directory of Korvid.exe, ending with a backslash
    UniqueModule languageLibrary;   // lan.dll, loaded as resources only
    UniqueHandle workerThread;
    DWORD workerThreadId = 0;
    // Written by the window thread, read by both threads.
    std::atomic<int> deviceState{kDeviceNeverOpened};
    HidDriver hidDriver;
};

inline HostProcess host;

}  // namespace korvid
