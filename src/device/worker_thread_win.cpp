#include "device/worker_thread_win.h"

#include <string>

#include "base/wide_text_win.h"
#include "device/push_job.h"
#include "protocol/korvid_protocol.h"
#include "runtime/device_event.h"

namespace korvid {
namespace {

inline constexpr DWORD kFramePauseMs = 100;

}  // namespace

bool WorkerThread::Start(LPTHREAD_START_ROUTINE procedure, void* param) {
    procedure_ = procedure;
    param_ = param;
    queueReady_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, kWorkerStackCommit, &WorkerThread::ThreadMain, this, 0, &threadId_));
    if (!thread_) {
        threadId_ = 0;
        return false;
    }
    if (!queueReady_) return true;  // nothing to wait on; an early request may be lost
    const HANDLE waitFor[] = {queueReady_.get(), thread_.get()};
    if (WaitForMultipleObjects(2, waitFor, FALSE, INFINITE) == WAIT_OBJECT_0) return true;
    // The thread ended (or the wait failed) before its queue existed.
    thread_.reset();
    threadId_ = 0;
    return false;
}

DWORD WINAPI WorkerThread::ThreadMain(LPVOID self) {
    auto* worker = static_cast<WorkerThread*>(self);
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
    if (worker->queueReady_) SetEvent(worker->queueReady_.get());
    return worker->procedure_(worker->param_);
}

bool WorkerThread::PostPush(int kind, LPARAM lParam) const {
    return thread_ && PostThreadMessageW(threadId_, WM_THREAD_PUSH, static_cast<WPARAM>(kind), lParam);
}

void WorkerThread::Stop() {
    if (!thread_) return;
    (void)PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    (void)WaitForSingleObject(thread_.get(), INFINITE);  // a push under way ends first
    thread_.reset();
    threadId_ = 0;
}

DWORD RunPushLoop(WorkingCopy& working, WorkingCopy& pushedImage, const std::atomic<int>& deviceState,
                  const HidDriver& driver, const std::function<void()>& changedPushDone) {
    const FrameSender send = [&driver](std::span<const std::uint8_t> frame) { return SendFrame(driver, frame); };
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_THREAD_PUSH || deviceState != kDeviceAttached) continue;  // dropped
        const PushResult result = RunPush(working, pushedImage, static_cast<int>(msg.wParam), send, &ToAnsiCodePage);
        if (result.enableApply) changedPushDone();
    }
    return 0;
}

int SendFrame(const HidDriver& driver, std::span<const std::uint8_t> frame) {
    const int sent = driver.SetFeature(frame.data(), static_cast<int>(frame.size()));
    if (sent != 0) Sleep(kFramePauseMs);
    return sent;
}

}  // namespace korvid
