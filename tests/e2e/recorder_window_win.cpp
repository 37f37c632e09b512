#include "recorder_window_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace korvid::e2e {

RecorderWindow::RecorderWindow(const wchar_t* title) {
    static std::atomic<int> serial{0};
    className_ = L"KorvidE2eRecorder" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
    thread_ = std::thread(&RecorderWindow::Run, this, std::wstring(title));
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return ready_; });
    EXPECT_NE(window_, nullptr) << "the recorder window could not be created";
}

RecorderWindow::~RecorderWindow() {
    if (threadId_ != 0) (void)PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

std::optional<RecordedMessage> RecorderWindow::WaitFor(UINT message, DWORD timeoutMs) const {
    std::unique_lock lock(mutex_);
    std::optional<RecordedMessage> found;
    (void)changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (const RecordedMessage& m : messages_) {
            if (m.message == message) {
                found = m;
                return true;
            }
        }
        return false;
    });
    return found;
}

std::vector<RecordedMessage> RecorderWindow::Received(UINT message) const {
    std::lock_guard lock(mutex_);
    std::vector<RecordedMessage> result;
    for (const RecordedMessage& m : messages_)
        if (m.message == message) result.push_back(m);
    return result;
}

void RecorderWindow::Record(UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({message, wParam, lParam});
    }
    changed_.notify_all();
}

LRESULT CALLBACK RecorderWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        (void)SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecorderWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) self->Record(message, wParam, lParam);
    if (message == WM_CLOSE) return 0;  // recorded; the window stays until the test ends
    return DefWindowProcW(window, message, wParam, lParam);
}

void RecorderWindow::Run(std::wstring title) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &RecorderWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className_.c_str();
    const ATOM atom = RegisterClassW(&windowClass);
    // A hidden top-level window: found by title like the real programs'.
    HWND window = atom == 0 ? nullptr
                            : CreateWindowExW(0, className_.c_str(), title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                                              nullptr, windowClass.hInstance, this);
    {
        std::lock_guard lock(mutex_);
        window_ = window;
        threadId_ = window != nullptr ? GetCurrentThreadId() : 0;
        ready_ = true;
    }
    changed_.notify_all();
    if (window == nullptr) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        (void)TranslateMessage(&msg);
        (void)DispatchMessageW(&msg);
    }
    (void)DestroyWindow(window);
    (void)UnregisterClassW(className_.c_str(), windowClass.hInstance);
}

}  // namespace korvid::e2e
