#include "recorder_window_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

namespace korvid::e2e {

RecorderWindow::RecorderWindow(const wchar_t* title) {
    static std::atomic<int> serial{0};
    std::wstring className =
        L"KorvidE2eRecorder" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
    window_ = std::make_unique<WindowThread>(
        std::move(className), title,
        [this](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
            Record(message, wParam, lParam);
            if (message == WM_CLOSE) return 0;  // recorded; the window stays until the test ends
            return std::nullopt;
        });
    EXPECT_NE(Handle(), nullptr) << "the recorder window could not be created";
}

RecorderWindow::~RecorderWindow() { window_.reset(); }

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

}  // namespace korvid::e2e
