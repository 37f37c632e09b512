// A top-level window that stands in for another program of the suite (the
// customizer, the on-screen display): it carries that program's exact title,
// lives on its own thread with its own message loop, and records every
// message it receives (a harness WindowThread). WM_CLOSE is recorded but does
// not destroy it. Every accessor is thread-safe; waits are bounded.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "e2e_harness_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid::e2e {

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

    HWND Handle() const { return window_->Handle(); }

    // The first message of that number, waiting at most timeoutMs for it.
    std::optional<RecordedMessage> WaitFor(UINT message, DWORD timeoutMs) const;
    // Every message of that number received so far.
    std::vector<RecordedMessage> Received(UINT message) const;
    std::size_t Count(UINT message) const { return Received(message).size(); }

private:
    void Record(UINT message, WPARAM wParam, LPARAM lParam);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<RecordedMessage> messages_;
    // Last: its thread ends before what it records into goes.
    std::unique_ptr<WindowThread> window_;
};

}  // namespace korvid::e2e
