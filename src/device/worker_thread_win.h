// The worker thread: the only thread that sends frames to the mouse, so the
// host window stays responsive while a push takes seconds.
//
// Who calls what, on which thread:
//   - The window thread owns one WorkerThread. Start runs a thread procedure
//     on a thread of its own and returns once that thread has made its
//     message queue, so no request posted afterwards is lost; a thread that
//     ends before that cannot hang start-up. PostPush posts WM_THREAD_PUSH
//     (wParam = PUSH_CHANGED, PUSH_ALL or PUSH_PROFILE) to it. Stop posts
//     WM_QUIT and waits for the thread without a time limit, so pushes queued
//     before the quit still run and the caller may close the driver library
//     afterwards.
//   - The thread procedure runs RunPushLoop on the worker thread: one push at
//     a time in the order posted, every request dropped while the device is
//     not attached. Each push works on a snapshot of the working copy
//     (device/push_job.h) and takes the working copy's lock only to copy.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

#include "base/unique_resource_win.h"
#include "config/working_copy.h"
#include "device/hid_driver_win.h"

namespace korvid {

// Stack the worker thread starts with committed; it grows on demand. A push
// keeps its images on the heap.
inline constexpr SIZE_T kWorkerStackCommit = 4096;

class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    ~WorkerThread() { Stop(); }

    // Runs procedure(param) on a new thread, after the thread has made its
    // message queue. True when the thread runs; false when it could not be
    // created or ended before its queue existed.
    bool Start(LPTHREAD_START_ROUTINE procedure, void* param);

    // WM_THREAD_PUSH with the push kind in wParam; lParam is not read.
    // False when there is no worker or its queue is full.
    bool PostPush(int kind, LPARAM lParam = 0) const;

    // WM_QUIT, then waits for the thread to end and closes it. Nothing
    // without a thread; safe to call more than once.
    void Stop();

    DWORD ThreadId() const { return threadId_; }
    explicit operator bool() const { return static_cast<bool>(thread_); }

private:
    static DWORD WINAPI ThreadMain(LPVOID self);

    UniqueHandle thread_;
    DWORD threadId_ = 0;
    UniqueHandle queueReady_;  // set by the worker once its message queue exists
    LPTHREAD_START_ROUTINE procedure_ = nullptr;
    void* param_ = nullptr;
};

// The worker's message loop, until WM_QUIT: each WM_THREAD_PUSH that arrives
// while deviceState is kDeviceAttached runs one push through driver; after a
// PUSH_CHANGED push, changedPushDone runs (on the worker thread). Every other
// message is dropped. Returns the thread's exit code, 0.
DWORD RunPushLoop(WorkingCopy& working, WorkingCopy& pushedImage, const std::atomic<int>& deviceState,
                  const HidDriver& driver, const std::function<void()>& changedPushDone);

// One frame to the device: SetFeature, then a 100 ms pause when the device
// took it. Returns the SetFeature result (0 without the entry point).
int SendFrame(const HidDriver& driver, std::span<const std::uint8_t> frame);

}  // namespace korvid
