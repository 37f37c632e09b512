// A stand-in for the host window: a message-only window on the test thread
// that records the driver library's posts, and the test thread's side of the
// monitor's device notifications.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "protocol/korvid_protocol.h"

namespace korvid::hid::testing {

// The host's message numbers for the two posts.
inline constexpr UINT kEventMsg = WM_DEVICE_EVENT;
inline constexpr UINT kConnectionMsg = WM_DEVICE_CONNECTION;

struct Posted {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    friend bool operator==(const Posted&, const Posted&) = default;
};

class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND get() const { return window_; }

    // The posts that have arrived so far, taken off the queue; no waiting.
    std::vector<Posted> Take();
    // Waits until `count` posts have arrived (at most `bound`) and takes them
    // with any others that have arrived.
    std::vector<Posted> TakeAtLeast(std::size_t count, std::chrono::milliseconds bound);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Pump();

    HWND window_ = nullptr;
    std::vector<Posted> posted_;
};

// Sends WM_DEVICECHANGE for a HID interface to the monitor's window, as the
// system does; returns when the monitor has handled it.
void SendInterfaceChange(HWND monitor, WPARAM change, const std::wstring& path);

}  // namespace korvid::hid::testing
