#include "host_window_win.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>

#include "fake_hid_win.h"

namespace korvid::hid::testing {
namespace {

constexpr const wchar_t* kClassName = L"KorvidHidTestHostWindow";

}  // namespace

HostWindow::HostWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    (void)RegisterClassExW(&windowClass);  // already registered by an earlier test: fine
    window_ =
        CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    (void)SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HostWindow::~HostWindow() {
    if (window_ != nullptr) (void)DestroyWindow(window_);
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (message == kEventMsg || message == kConnectionMsg)) {
        self->posted_.push_back({message, wParam, lParam});
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void HostWindow::Pump() {
    MSG message;
    while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) (void)DispatchMessageW(&message);
}

std::vector<Posted> HostWindow::Take() {
    Pump();
    std::vector<Posted> taken;
    taken.swap(posted_);
    return taken;
}

std::vector<Posted> HostWindow::TakeAtLeast(std::size_t count, std::chrono::milliseconds bound) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bound.count());
    Pump();
    while (posted_.size() < count) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_POSTMESSAGE);
        Pump();
    }
    return Take();
}

void SendInterfaceChange(HWND monitor, WPARAM change, const std::wstring& path) {
    const std::size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(wchar_t);
    std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    auto* notice = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
    notice->dbcc_size = static_cast<DWORD>(size);
    notice->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    notice->dbcc_classguid = FakeHidSystem::kHidGuid;
    std::memcpy(notice->dbcc_name, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    (void)SendMessageW(monitor, WM_DEVICECHANGE, change, reinterpret_cast<LPARAM>(notice));
}

}  // namespace korvid::hid::testing
