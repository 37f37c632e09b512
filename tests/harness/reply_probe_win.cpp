#include "reply_probe_win.h"

#include <algorithm>

namespace korvid::harness {
namespace {

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

std::optional<double> ReplyMs(HWND window, UINT boundMs, UINT message, WPARAM wParam, LPARAM lParam) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER before;
    LARGE_INTEGER after;
    (void)QueryPerformanceFrequency(&frequency);
    DWORD_PTR ignored = 0;
    (void)QueryPerformanceCounter(&before);
    const LRESULT answered = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, boundMs, &ignored);
    (void)QueryPerformanceCounter(&after);
    if (answered == 0) return std::nullopt;
    return 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
}

ReplyProbe::ReplyProbe(HWND window, DWORD periodMs, UINT boundMs)
    : window_(window), periodMs_(periodMs), boundMs_(boundMs), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] { Run(); });
}

ReplyProbe::~ReplyProbe() { (void)Stop(); }

void ReplyProbe::Run() {
    do {
        if (const auto ms = ReplyMs(window_, boundMs_)) {
            repliesMs_.push_back(*ms);
        } else {
            ++unanswered_;
        }
    } while (WaitForSingleObject(stop_.get(), periodMs_) == WAIT_TIMEOUT);
}

ReplyFigures ReplyProbe::Stop() {
    if (thread_.joinable()) {
        (void)SetEvent(stop_.get());
        thread_.join();
    }
    ReplyFigures figures;
    figures.replies = repliesMs_.size();
    figures.unanswered = unanswered_;
    figures.medianMs = Median(repliesMs_);
    figures.worstMs = repliesMs_.empty() ? 0 : *std::max_element(repliesMs_.begin(), repliesMs_.end());
    return figures;
}

}  // namespace korvid::harness
