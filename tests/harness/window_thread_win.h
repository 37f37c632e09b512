// A hidden top-level window on a thread of its own, with its own message
// loop: what stands in for another program's window in a test (the
// customizer, the on-screen display, the notification area). The owner gives
// the class name, the title and a handler; the handler runs on the window's
// thread for every message, and what it returns is the window's answer
// (nothing: DefWindowProcW answers). The constructor returns once the window
// exists or its creation failed; the destructor ends the loop, destroys the
// window and joins the thread.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace korvid::harness {

class WindowThread {
public:
    using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

    WindowThread(std::wstring className, std::wstring title, Handler handler);
    ~WindowThread();
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    // nullptr when the window could not be made.
    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(const std::wstring& title);

    std::wstring className_;
    Handler handler_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    bool ready_ = false;
    std::mutex mutex_;
    std::condition_variable readyChanged_;
    std::thread thread_;
};

}  // namespace korvid::harness
