// The device monitor: a thread of the library's own that tells the host when
// the mouse is attached or removed and what happens on it.
//
// The thread owns a message-only window registered for HID device-interface
// notifications and, while the mouse is present, an EventReader on its event
// collection. It waits for window messages and for the pending read at once,
// and posts to the host window:
//   connectionMsg  wParam 1 when the device's configuration collection (the
//                  frame candidate of collection_choice.h) is present after an
//                  arrival, so that the host's open succeeds; 0 when the last
//                  interface of the selected IDs goes after a 1 was posted.
//                  Once per physical attach or removal, however many
//                  interfaces the device has and in whatever order they come.
//   eventMsg       wParam = event class, lParam = argument, for each valid
//                  event report (event_report.h)
// Interfaces present when the monitor starts count as present; nothing is
// posted for them (the host opens the device itself at start-up).
// A configuration collection that comes back while the device stays attached
// (the system re-enumerated it) is reopened through the reopen callback
// instead of a post. A read error other than removal or cancellation restarts
// the reader after a back-off of kReaderBackoffMin, doubling to
// kReaderBackoffMax.
//
// Threads: Start and Stop are called on the host's window thread; everything
// else runs on the monitor thread, which alone touches the tracker and the
// reader. The IDs are read under their own lock.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <string_view>
#include <thread>
#include <vector>

#include "hid/collection_choice.h"
#include "hid/event_reader_win.h"
#include "hid/hid_api_win.h"
#include "hid/presence_tracker.h"
#include "hid/selected_ids.h"

namespace korvid::hid {

inline constexpr std::chrono::milliseconds kReaderBackoffMin{100};
inline constexpr std::chrono::milliseconds kReaderBackoffMax{5000};

// Called on the monitor thread when the configuration collection came back.
using ReopenCallback = std::function<void(UsbIds, const CollectionNames&)>;

struct MonitorTarget {
    HWND window = nullptr;  // nothing is posted when null
    UINT eventMsg = 0;
    UINT connectionMsg = 0;
};

class DeviceMonitor {
public:
    DeviceMonitor(const HidApi& api, const SelectedIds& ids, ReopenCallback reopen)
        : api_(api), ids_(ids), reopen_(std::move(reopen)), reader_(api) {}
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
    void RunWindow(std::promise<HWND>& started, bool& told);
    void Seed();
    void Loop();
    void OnDeviceChange(WPARAM change, LPARAM data);
    void OnArrival(std::wstring_view path);
    void OnRemoval(std::wstring_view path);
    void OnReadCompleted();
    void OnRestartTimer();
    // Starts the reader on the first event candidate that opens; false when
    // none did.
    bool StartReader(const std::vector<CollectionDeclaration>& collections, const CollectionChoice& choice);
    void StopReader(const wchar_t* why);
    void ScheduleRestart(DWORD error);
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;

    const HidApi& api_;
    const SelectedIds& ids_;
    const ReopenCallback reopen_;
    // Monitor thread only (target_ is set before the thread starts).
    MonitorTarget target_;
    HWND ownWindow_ = nullptr;
    PresenceTracker tracker_;
    bool attached_ = false;  // the host was told (or found at start) that the device is usable
    EventReader reader_;
    std::chrono::milliseconds backoff_ = kReaderBackoffMin;
    bool restartScheduled_ = false;
    // Host window thread only.
    std::thread thread_;
    HWND window_ = nullptr;
};

}  // namespace korvid::hid
