// A top-level window that stands in for another program of the suite (the
// customizer, the on-screen display): it carries that program's exact title,
// lives on its own thread with its own message loop, and records every
// message it receives. WM_CLOSE is recorded but does not destroy it. Every
// accessor is thread-safe; waits are bounded.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace korvid::e2e {

inline constexpr wchar_t kCustomizerTitle[] = L"QIV Brennox 2 Gaming mouse";
inline constexpr wchar_t kOsdTitle[] = L"Oskel_TRAVENA7000X_OSD";

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class RecorderWindow {
public:
    // Returns once the window exists (or its creation failed: Handle() is
    // then nullptr and the test has failed).
    explicit RecorderWindow(const wchar_t* title);
    ~RecorderWindow();
    RecorderWindow(const RecorderWindow&) = delete;
    RecorderWindow& operator=(const RecorderWindow&) = delete;

    HWND Handle() const { return window_; }

    // The first message of that number, waiting at most timeoutMs for it.
    std::optional<RecordedMessage> WaitFor(UINT message, DWORD timeoutMs) const;
    // Every message of that number received so far.
    std::vector<RecordedMessage> Received(UINT message) const;
    std::size_t Count(UINT message) const { return Received(message).size(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(std::wstring title);
    void Record(UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring className_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    bool ready_ = false;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<RecordedMessage> messages_;
    std::thread thread_;
};

}  // namespace korvid::e2e
