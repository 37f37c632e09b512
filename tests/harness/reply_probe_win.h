// Whether, and how fast, a window's thread answers: a WM_NULL sent with
// SendMessageTimeoutW returns once the thread is back in its message loop.
// One round trip (ReplyMs), or a probe that keeps asking from a thread of its
// own while something plays out (ReplyProbe).
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <thread>
#include <vector>

#include "base/unique_resource_win.h"

namespace korvid::harness {

// A reply that takes longer than this counts as none: the window hung.
inline constexpr UINT kReplyBoundMs = 5000;

// Sends the message (WM_NULL unless told) and returns how long the handler
// took to return, in milliseconds; nothing when it did not within boundMs or
// the send failed.
std::optional<double> ReplyMs(HWND window, UINT boundMs = kReplyBoundMs, UINT message = WM_NULL, WPARAM wParam = 0,
                              LPARAM lParam = 0);

struct ReplyFigures {
    std::size_t replies = 0;     // probes answered within the bound
    std::size_t unanswered = 0;  // probes that were not
    double medianMs = 0;
    double worstMs = 0;
};

// Sends WM_NULL to the window every periodMs from a thread of its own and
// times each reply, until Stop (or destruction).
class ReplyProbe {
public:
    ReplyProbe(HWND window, DWORD periodMs, UINT boundMs = kReplyBoundMs);
    ~ReplyProbe();
    ReplyProbe(const ReplyProbe&) = delete;
    ReplyProbe& operator=(const ReplyProbe&) = delete;

    ReplyFigures Stop();

private:
    void Run();

    HWND window_;
    DWORD periodMs_;
    UINT boundMs_;
    UniqueHandle stop_;
    std::vector<double> repliesMs_;
    std::size_t unanswered_ = 0;
    std::thread thread_;
};

}  // namespace korvid::harness
