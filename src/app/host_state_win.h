// Process-wide state of the host: one of each, shared by the application
// object, the host window and the worker thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "base/unique_resource_win.h"
#include "device/hid_driver_win.h"
#include "device/worker_thread_win.h"
#include "runtime/device_event.h"

namespace korvid {

struct HostProcess {
    int openCustomizerAtStart = 0;  // 1 when the command line asked for the customizer
    std::wstring installDir;        // drive and directory of Korvid.exe, ending with a backslash
    UniqueModule languageLibrary;   // lan.dll, loaded as resources only
    // Written by the window thread, read by both threads.
    std::atomic<int> deviceState{kDeviceNeverOpened};
    HidDriver hidDriver;
    // The thread handle and workerThread.ThreadId(), where WM_THREAD_PUSH
    // goes. Declared after the driver it calls into, so it ends first.
    WorkerThread workerThread;
};

inline HostProcess host;

}  // namespace korvid
