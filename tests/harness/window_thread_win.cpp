#include "window_thread_win.h"

#include <utility>

namespace korvid::harness {

WindowThread::WindowThread(std::wstring className, std::wstring title, Handler handler)
    : className_(std::move(className)), handler_(std::move(handler)) {
    thread_ = std::thread([this, title = std::move(title)] { Run(title); });
    std::unique_lock lock(mutex_);
    readyChanged_.wait(lock, [&] { return ready_; });
}

WindowThread::~WindowThread() {
    if (threadId_ != 0) (void)PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

LRESULT CALLBACK WindowThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        (void)SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<WindowThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        if (const std::optional<LRESULT> answer = self->handler_(window, message, wParam, lParam)) return *answer;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void WindowThread::Run(const std::wstring& title) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &WindowThread::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className_.c_str();
    const ATOM atom = RegisterClassW(&windowClass);
    // Hidden, top-level: found by title or class like the real programs'.
    HWND window = atom == 0 ? nullptr
                            : CreateWindowExW(0, className_.c_str(), title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                                              nullptr, windowClass.hInstance, this);
    {
        std::lock_guard lock(mutex_);
        window_ = window;
        threadId_ = window != nullptr ? GetCurrentThreadId() : 0;
        ready_ = true;
    }
    readyChanged_.notify_all();
    if (window != nullptr) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            (void)TranslateMessage(&msg);
            (void)DispatchMessageW(&msg);
        }
        (void)DestroyWindow(window);
    }
    if (atom != 0) (void)UnregisterClassW(className_.c_str(), windowClass.hInstance);
}

}  // namespace korvid::harness
