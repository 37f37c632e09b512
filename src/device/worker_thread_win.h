// The worker thread: the only thread that sends frames to the mouse, so the
// host window stays responsive while a push takes seconds.
//
// The window thread posts WM_THREAD_PUSH (wParam = PUSH_CHANGED, PUSH_ALL or
// PUSH_PROFILE) with PostThreadMessageW to host.workerThreadId; the worker
// runs one push at a time in the order posted and drops every request while
// the device is not attached. WM_QUIT ends it: pushes queued before the quit
// still run, and the window thread waits for the thread to end before it
// closes the driver library. Each push works on a snapshot of the working
// copy (device/push_job.h) and takes the working copy's lock only to copy.
#pragma once

#include <cstdint>
#include <span>

namespace korvid {

// One frame to the device: SetFeature, then a 100 ms pause when the device
// took it. Returns the SetFeature result (0 without the entry point).
int SendFrame(std::span<const std::uint8_t> frame);

}  // namespace korvid
