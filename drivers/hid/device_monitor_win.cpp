#include "hid/device_monitor_win.h"

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hid/device_config_win.h"
#include "hid/device_path.h"
#include "hid/event_report.h"
#include "hid/hid_enumeration_win.h"

namespace korvid::hid {
namespace {

constexpr const wchar_t* kWindowClass = L"KorvidHidDeviceMonitor";
constexpr UINT kStopMessage = WM_APP + 1;
constexpr UINT_PTR kRestartTimer = 1;

// Read errors after which the reader is not restarted: the device went away,
// or the read was cancelled on purpose.
bool EndsTheReader(DWORD error) {
    return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_OPERATION_ABORTED || error == ERROR_FILE_NOT_FOUND;
}

bool IsCandidate(const std::vector<std::size_t>& candidates, std::size_t index) {
    return std::find(candidates.begin(), candidates.end(), index) != candidates.end();
}

// The window class is registered while any monitor of this module runs and
// unregistered after the last one: Windows does not unregister the classes of
// a library that is unloaded, and a stale class would point into freed code
// when the library is loaded again.
std::mutex classMutex;
int classUsers = 0;  // guarded by classMutex

class WindowClassUse {
public:
    explicit WindowClassUse(WNDPROC proc) {
        const std::lock_guard lock(classMutex);
        if (classUsers++ > 0) return;
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = ThisModule();
        windowClass.lpszClassName = kWindowClass;
        if (RegisterClassExW(&windowClass) == 0) OutputDebugStringW(L"hiddriver: RegisterClassExW failed\n");
    }
    ~WindowClassUse() {
        const std::lock_guard lock(classMutex);
        if (--classUsers == 0) (void)UnregisterClassW(kWindowClass, ThisModule());  // nothing to do on failure
    }
    WindowClassUse(const WindowClassUse&) = delete;
    WindowClassUse& operator=(const WindowClassUse&) = delete;
};

HDEVNOTIFY RegisterForHidNotifications(const HidApi& api, HWND window) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    api.HidD_GetHidGuid(&filter.dbcc_classguid);
    return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

}  // namespace

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* monitor = reinterpret_cast<DeviceMonitor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (monitor != nullptr) {
        // Nothing thrown here may unwind through the system's dispatch.
        try {
            if (message == WM_DEVICECHANGE) {
                monitor->OnDeviceChange(wParam, lParam);
                return TRUE;
            }
            if (message == WM_TIMER && wParam == kRestartTimer) {
                monitor->OnRestartTimer();
                return 0;
            }
        } catch (...) {
            DebugLine(monitor->api_, L"the device monitor failed to handle a device change");
            return TRUE;
        }
        if (message == kStopMessage) {
            PostQuitMessage(0);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool DeviceMonitor::Start(MonitorTarget target) {
    Stop();
    target_ = target;
    std::promise<HWND> started;
    std::future<HWND> window = started.get_future();
    thread_ = std::thread([this, promise = std::move(started)]() mutable { Run(promise); });
    window_ = window.get();
    if (window_ == nullptr) {
        thread_.join();
        return false;
    }
    return true;
}

void DeviceMonitor::Stop() {
    if (!thread_.joinable()) return;
    if (!PostMessageW(window_, kStopMessage, 0, 0)) DebugLine(api_, L"cannot stop the device monitor");
    thread_.join();
    window_ = nullptr;
}

void DeviceMonitor::Run(std::promise<HWND>& started) {
    bool told = false;
    try {
        RunWindow(started, told);
    } catch (...) {
        // The thread ends; the host hears nothing more from the monitor.
        DebugLine(api_, L"the device monitor ended on an unexpected failure");
        if (!told) started.set_value(nullptr);
    }
}

void DeviceMonitor::RunWindow(std::promise<HWND>& started, bool& told) {
    const WindowClassUse windowClass(MonitorWindowProc);
    HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
    if (window == nullptr) {
        DebugLine(api_, L"cannot create the device monitor window");
        told = true;
        started.set_value(nullptr);
        return;
    }
    ownWindow_ = window;
    (void)SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Registered before the first enumeration: an interface that arrives in
    // between is both enumerated and announced, which the tracker absorbs.
    HDEVNOTIFY notification = RegisterForHidNotifications(api_, window);
    if (notification == nullptr) DebugLine(api_, L"RegisterDeviceNotificationW failed");
    try {
        Seed();
    } catch (...) {
        DebugLine(api_, L"the device monitor could not look for the device at start");
    }
    told = true;
    started.set_value(window);

    Loop();

    StopReader(L"the monitor stops");
    (void)KillTimer(window, kRestartTimer);                                         // fails when none is set
    if (notification != nullptr) (void)UnregisterDeviceNotification(notification);  // nothing to do on failure
    (void)SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    (void)DestroyWindow(window);  // nothing to do on failure
    ownWindow_ = nullptr;
}

void DeviceMonitor::Seed() {
    const std::optional<UsbIds> ids = ids_.Get();
    if (!ids) {
        tracker_.Reset({}, UsbIds{});  // no IDs, no device of ours
        return;
    }
    tracker_.Reset(EnumerateHidInterfaces(api_), *ids);
    const std::vector<CollectionDeclaration> collections = DeclaredCollections(api_, *ids);
    const CollectionChoice choice = ChooseCollections(collections, *ids, ids_.names());
    attached_ = !choice.frameCandidates.empty();
    (void)StartReader(collections, choice);
}

void DeviceMonitor::Loop() {
    for (;;) {
        const HANDLE completion = reader_.completion();
        const DWORD count = completion != nullptr ? 1 : 0;
        const DWORD wait = MsgWaitForMultipleObjectsEx(count, count != 0 ? &completion : nullptr, INFINITE, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (count != 0 && wait == WAIT_OBJECT_0) {
            try {
                OnReadCompleted();
            } catch (...) {
                StopReader(L"it failed unexpectedly");
            }
            continue;
        }
        if (wait == WAIT_FAILED) {
            DebugLine(api_, L"the device monitor stopped waiting");
            return;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            (void)DispatchMessageW(&message);
        }
    }
}

void DeviceMonitor::OnDeviceChange(WPARAM change, LPARAM data) {
    if (change != DBT_DEVICEARRIVAL && change != DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return;
    const std::size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (header->dbch_size <= nameOffset) return;
    const auto* deviceInterface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const std::size_t maxChars = (header->dbch_size - nameOffset) / sizeof(wchar_t);
    const std::wstring_view path(deviceInterface->dbcc_name, wcsnlen(deviceInterface->dbcc_name, maxChars));
    if (change == DBT_DEVICEARRIVAL) {
        OnArrival(path);
    } else {
        OnRemoval(path);
    }
}

void DeviceMonitor::OnArrival(std::wstring_view path) {
    const std::optional<UsbIds> ids = ids_.Get();
    if (!ids || !PathHasIds(path, *ids)) return;
    (void)tracker_.OnArrival(path, *ids);
    const CollectionNames names = ids_.names();
    const std::vector<CollectionDeclaration> collections = DeclaredCollections(api_, *ids);
    const CollectionChoice choice = ChooseCollections(collections, *ids, names);
    if (!attached_) {
        // Attached means usable: not before the configuration collection is here.
        if (!choice.frameCandidates.empty()) {
            attached_ = true;
            Post(target_.connectionMsg, 1, 0);
        } else {
            DebugLine(api_, std::wstring(path) + L": arrived; no collection for frames yet, attach not posted");
        }
    } else {
        const std::wstring key = InterfaceKey(path);
        for (std::size_t i = 0; i < collections.size(); ++i) {
            if (InterfaceKey(collections[i].path) == key && IsCandidate(choice.frameCandidates, i) && reopen_) {
                reopen_(*ids, names);
                break;
            }
        }
    }
    if (!reader_.running()) (void)StartReader(collections, choice);
}

void DeviceMonitor::OnRemoval(std::wstring_view path) {
    if (reader_.running() && reader_.key() == InterfaceKey(path)) StopReader(L"its collection was removed");
    if (tracker_.OnRemoval(path) == PresenceTracker::Change::kRemoved) {
        StopReader(L"the device was removed");
        (void)KillTimer(ownWindow_, kRestartTimer);  // fails when none is set
        restartScheduled_ = false;
        if (attached_) Post(target_.connectionMsg, 0, 0);
        attached_ = false;
    }
}

void DeviceMonitor::OnReadCompleted() {
    const std::optional<std::vector<std::uint8_t>> report = reader_.TakeReport();
    if (!report) {
        const DWORD error = reader_.error();
        if (EndsTheReader(error)) {
            DebugLine(api_, L"event reader stopped: read ended with error " + ErrorText(error));
        } else {
            ScheduleRestart(error);
        }
        return;
    }
    backoff_ = kReaderBackoffMin;
    if (const std::optional<EventReport> event = ParseEventReport(*report)) {
        Post(target_.eventMsg, event->eventClass, event->argument);
    }
}

void DeviceMonitor::ScheduleRestart(DWORD error) {
    DebugLine(api_, L"event reader failed with error " + ErrorText(error) + L"; restarting in " +
                        std::to_wstring(backoff_.count()) + L" ms");
    if (SetTimer(ownWindow_, kRestartTimer, static_cast<UINT>(backoff_.count()), nullptr) == 0) {
        DebugLine(api_, L"SetTimer failed; the event reader stays stopped");
        return;
    }
    restartScheduled_ = true;
    backoff_ = std::min(backoff_ * 2, kReaderBackoffMax);
}

void DeviceMonitor::OnRestartTimer() {
    (void)KillTimer(ownWindow_, kRestartTimer);  // one shot
    if (!restartScheduled_) return;
    restartScheduled_ = false;
    const std::optional<UsbIds> ids = ids_.Get();
    if (reader_.running() || !ids || !tracker_.present()) return;
    const std::vector<CollectionDeclaration> collections = DeclaredCollections(api_, *ids);
    const CollectionChoice choice = ChooseCollections(collections, *ids, ids_.names());
    if (!StartReader(collections, choice) && !choice.eventCandidates.empty()) ScheduleRestart(reader_.error());
}

bool DeviceMonitor::StartReader(const std::vector<CollectionDeclaration>& collections, const CollectionChoice& choice) {
    for (std::size_t i = 0; i < collections.size(); ++i) {
        if (IsCandidate(choice.eventCandidates, i)) continue;  // told below, when it is tried
        DebugCollection(api_, collections[i], choice.eventVerdicts[i]);
    }
    for (const std::size_t index : choice.eventCandidates) {
        const CollectionDeclaration& c = collections[index];
        if (reader_.Start(c.path, c.inputReportLength)) {
            DebugCollection(api_, c, L"events: taken, event reader started");
            return true;
        }
        DebugCollection(api_, c, L"events: skipped, cannot be read, error " + ErrorText(reader_.error()));
    }
    if (choice.eventCandidates.empty() && !collections.empty()) DebugLine(api_, L"no collection for events is present");
    return false;
}

void DeviceMonitor::StopReader(const wchar_t* why) {
    if (!reader_.running()) return;
    reader_.Stop();
    DebugLine(api_, std::wstring(L"event reader stopped: ") + why);
}

void DeviceMonitor::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (target_.window == nullptr) return;                        // a null window would post to this thread
    (void)PostMessageW(target_.window, message, wParam, lParam);  // a lost post cannot be recovered
}

}  // namespace korvid::hid
