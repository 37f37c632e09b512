// A notification area for the tests. Wine's null graphics driver runs no
// shell, so Shell_NotifyIconW has nowhere to go; this supplies the window it
// looks for. Wine's shell32 hands every Shell_NotifyIconW call to the
// top-level window of class "Shell_TrayWnd" as a sent WM_COPYDATA: dwData is
// the NIM_ command and the data Wine's own fixed record of the icon (the
// window as 32 bits, uID, uFlags, uCallbackMessage, szTip[128], ..., the
// icon's width and height, 960 bytes, then the icon's bits). The record is
// Wine's, not Windows'; every call is checked against the host's window, so a
// changed layout shows up as failed expectations, not as silence.
//
// The window lives on its own thread (a harness WindowThread) and records each call before it
// answers, so a call made inside a host's message handler is recorded by the
// time the handler has returned. Not so at start-up: while the host waits
// for this window's answer it answers messages sent to it, so its window can
// look ready before the call has been recorded; wait for the call. One per
// test process at most.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "e2e_harness_win.h"

namespace korvid::e2e {

struct TrayIconCall {
    DWORD command = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::wstring tip;
    UINT iconWidth = 0;  // 0: no icon came with the call
    UINT iconHeight = 0;
};

class FakeNotificationArea {
public:
    // Returns once the window exists (Handle() is nullptr and the test has
    // failed when it could not be made, or when a notification area exists
    // already).
    FakeNotificationArea();
    ~FakeNotificationArea();
    FakeNotificationArea(const FakeNotificationArea&) = delete;
    FakeNotificationArea& operator=(const FakeNotificationArea&) = delete;

    HWND Handle() const { return window_->Handle(); }

    std::vector<TrayIconCall> Calls() const;
    // Waits until at least count calls have arrived or the time is up.
    std::vector<TrayIconCall> WaitForCalls(std::size_t count, DWORD timeoutMs) const;

private:
    void Record(const COPYDATASTRUCT& data);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<TrayIconCall> calls_;
    // Last: its thread ends before what it records into goes.
    std::unique_ptr<WindowThread> window_;
};

}  // namespace korvid::e2e
