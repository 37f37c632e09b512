#include "hid/device_monitor_win.h"

#include <dbt.h>

#include <cstddef>
#include <cwchar>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hid/device_path.h"
#include "hid/event_report.h"
#include "hid/hid_enumeration_win.h"

namespace korvid::hid {
namespace {

constexpr const wchar_t* kWindowClass = L"KorvidHidDeviceMonitor";
constexpr UINT kStopMessage = WM_APP + 1;

void DebugLine(const wchar_t* line) { OutputDebugStringW(line); }

// The module this code is linked into (hiddriver.dll, or a test program).
HINSTANCE ThisModule() {
    static const int anchor = 0;
    HMODULE module = nullptr;
    (void)GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&anchor), &module);  // cannot fail for our own address
    return module;
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
        if (RegisterClassExW(&windowClass) == 0) DebugLine(L"hiddriver: RegisterClassExW failed\n");
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
        if (message == WM_DEVICECHANGE) {
            monitor->OnDeviceChange(wParam, lParam);
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
    if (!PostMessageW(window_, kStopMessage, 0, 0)) DebugLine(L"hiddriver: cannot stop the device monitor\n");
    thread_.join();
    window_ = nullptr;
}

void DeviceMonitor::Run(std::promise<HWND>& started) {
    const WindowClassUse windowClass(MonitorWindowProc);
    HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
    if (window == nullptr) {
        DebugLine(L"hiddriver: cannot create the device monitor window\n");
        started.set_value(nullptr);
        return;
    }
    (void)SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Registered before the first enumeration: an interface that arrives in
    // between is both enumerated and announced, which the tracker absorbs.
    HDEVNOTIFY notification = RegisterForHidNotifications(api_, window);
    if (notification == nullptr) DebugLine(L"hiddriver: RegisterDeviceNotificationW failed\n");
    Seed();
    started.set_value(window);

    Loop();

    reader_.Stop();
    if (notification != nullptr) (void)UnregisterDeviceNotification(notification);  // nothing to do on failure
    (void)DestroyWindow(window);                                                    // nothing to do on failure
}

void DeviceMonitor::Seed() {
    const std::optional<UsbIds> ids = ids_.Get();
    if (!ids) {
        tracker_.Reset({}, UsbIds{});  // no IDs, no device of ours
        return;
    }
    const std::vector<std::wstring> paths = EnumerateHidInterfaces(api_);
    tracker_.Reset(paths, *ids);
    for (const std::wstring& path : paths) {
        if (reader_.running()) break;
        if (PathHasIds(path, *ids)) TryStartReader(path, *ids);
    }
}

void DeviceMonitor::Loop() {
    for (;;) {
        const HANDLE completion = reader_.completion();
        const DWORD count = completion != nullptr ? 1 : 0;
        const DWORD wait = MsgWaitForMultipleObjectsEx(count, count != 0 ? &completion : nullptr, INFINITE, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (count != 0 && wait == WAIT_OBJECT_0) {
            OnReadCompleted();
            continue;
        }
        if (wait == WAIT_FAILED) {
            DebugLine(L"hiddriver: the device monitor stopped waiting\n");
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
    if (!ids) return;
    if (tracker_.OnArrival(path, *ids) == PresenceTracker::Change::kAttached) Post(target_.connectionMsg, 1, 0);
    if (!reader_.running() && PathHasIds(path, *ids)) TryStartReader(path, *ids);
}

void DeviceMonitor::OnRemoval(std::wstring_view path) {
    if (reader_.running() && reader_.key() == InterfaceKey(path)) reader_.Stop();
    if (tracker_.OnRemoval(path) == PresenceTracker::Change::kRemoved) {
        reader_.Stop();
        Post(target_.connectionMsg, 0, 0);
    }
}

void DeviceMonitor::OnReadCompleted() {
    const std::optional<std::vector<std::uint8_t>> report = reader_.TakeReport();
    if (!report) return;
    if (const std::optional<EventReport> event = ParseEventReport(*report)) {
        Post(target_.eventMsg, event->eventClass, event->argument);
    }
}

void DeviceMonitor::TryStartReader(std::wstring_view path, UsbIds ids) {
    const std::wstring name(path);
    const std::optional<CollectionInfo> info = QueryCollection(api_, name);
    if (!info || info->ids != ids || !IsEventCollection(info->usagePage, info->inputReportLength)) return;
    if (!reader_.Start(name, info->inputReportLength)) DebugLine(L"hiddriver: cannot read the event collection\n");
}

void DeviceMonitor::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (target_.window == nullptr) return;                        // a null window would post to this thread
    (void)PostMessageW(target_.window, message, wParam, lParam);  // a lost post cannot be recovered
}

}  // namespace korvid::hid
