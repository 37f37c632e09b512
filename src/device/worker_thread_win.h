// The worker thread: the only thread that sends frames to the mouse, so the
// host window stays responsive while a push takes seconds.
//
// The window thread posts WM_THREAD_PUSH (wParam = push kind) with
// PostThreadMessageW to host.workerThreadId; the worker runs one push at a
// time in the order posted and drops every request while the device is not
// attached. WM_QUIT ends it: pushes queued before the quit still run, and the
// window thread waits for the thread to end before it closes the driver
// library. The worker takes a snapshot of the working copy for each push and
// writes back only under the working copy's lock.
#pragma once

#include <windows.h>

namespace korvid {

inline constexpr WPARAM kPushChanged = 1;  // what the change flags mark, then tell the customizer
inline constexpr WPARAM kPushAll = 2;      // everything
inline constexpr WPARAM kPushProfile = 3;  // only the active profile, after an automatic switch

}  // namespace korvid
