// The device monitor: a thread of the library's own that tells the host when
// the mouse is attached or removed and what happens on it.
//
// The thread owns a message-only window registered for HID device-interface
// notifications and, while the mouse is present, an EventReader on its event
// collection. It waits for window messages and for the pending read at once,
// and posts to the host window:
//   connectionMsg  wParam 1 when the first interface of the selected IDs
//                  arrives, 0 when the last one goes (once per physical attach
//                  or removal, however many interfaces the device has)
//   eventMsg       wParam = event class, lParam = argument, for each valid
//                  event report (event_report.h)
// Interfaces present when the monitor starts count as present; nothing is
// posted for them (the host opens the device itself at start-up).
//
// Threads: Start and Stop are called on the host's window thread; everything
// else runs on the monitor thread, which alone touches the tracker and the
// reader. The IDs are read under their own lock.
#pragma once

#include <windows.h>

#include <future>
#include <string_view>
#include <thread>

#include "hid/event_reader_win.h"
#include "hid/hid_api_win.h"
#include "hid/presence_tracker.h"
#include "hid/selected_ids.h"

namespace korvid::hid {

struct MonitorTarget {
    HWND window = nullptr;  // nothing is posted when null
    UINT eventMsg = 0;
    UINT connectionMsg = 0;
};

class DeviceMonitor {
public:
    DeviceMonitor(const HidApi& api, const SelectedIds& ids) : api_(api), ids_(ids), reader_(api) {}
    ~DeviceMonitor() { Stop(); }
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;

    // Stops a running monitor, then starts the thread and waits until its
    // window exists. False when the window could not be created (the thread
    // has then ended).
    bool Start(MonitorTarget target);
    // Ends the thread and returns when it has ended: the pending read
    // cancelled, the reader's handle closed, the notification unregistered,
    // the window destroyed. Nothing is posted after it returns.
    void Stop();

    // The message-only window; null when not running.
    HWND window() const { return window_; }

private:
    friend LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void Run(std::promise<HWND>& started);  // the thread; tells its window, or null
    void Seed();
    void Loop();
    void OnDeviceChange(WPARAM change, LPARAM data);
    void OnArrival(std::wstring_view path);
    void OnRemoval(std::wstring_view path);
    void OnReadCompleted();
    void TryStartReader(std::wstring_view path, UsbIds ids);
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;

    const HidApi& api_;
    const SelectedIds& ids_;
    // Monitor thread only (target_ is set before the thread starts).
    MonitorTarget target_;
    PresenceTracker tracker_;
    EventReader reader_;
    // Host window thread only.
    std::thread thread_;
    HWND window_ = nullptr;
};

}  // namespace korvid::hid
