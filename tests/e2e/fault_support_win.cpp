#include "fault_support_win.h"

// after windows.h
#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

#include "device/command_frame.h"
#include "shared_section_win.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Fixed(double value, int decimals) {
    char text[64];
    (void)std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

ReplyProbe::ReplyProbe(HWND window) : window_(window), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] { Run(); });
}

ReplyProbe::~ReplyProbe() { (void)Stop(); }

void ReplyProbe::Run() {
    LARGE_INTEGER frequency;
    (void)QueryPerformanceFrequency(&frequency);
    do {
        LARGE_INTEGER before;
        LARGE_INTEGER after;
        DWORD_PTR ignored = 0;
        (void)QueryPerformanceCounter(&before);
        const LRESULT answered = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kReplyBoundMs, &ignored);
        (void)QueryPerformanceCounter(&after);
        if (answered == 0) {
            ++unanswered_;
            continue;
        }
        repliesMs_.push_back(1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                             static_cast<double>(frequency.QuadPart));
    } while (WaitForSingleObject(stop_, kProbePeriodMs) == WAIT_TIMEOUT);
}

ReplyFigures ReplyProbe::Stop() {
    if (thread_.joinable()) {
        (void)SetEvent(stop_);
        thread_.join();
        (void)CloseHandle(stop_);
    }
    ReplyFigures figures;
    figures.replies = repliesMs_.size();
    figures.unanswered = unanswered_;
    figures.medianMs = Median(repliesMs_);
    figures.worstMs = repliesMs_.empty() ? 0 : *std::max_element(repliesMs_.begin(), repliesMs_.end());
    return figures;
}

void ReportReplies(const std::string& key, const std::string& what, const ReplyFigures& figures) {
    std::printf("[ figures  ] %s: %zu window replies, median %.2f ms, worst %.2f ms, %zu not answered within %u ms\n",
                what.c_str(), figures.replies, figures.medianMs, figures.worstMs, figures.unanswered, kReplyBoundMs);
    (void)std::fflush(stdout);
    ::testing::Test::RecordProperty(key + "_replies", std::to_string(figures.replies));
    ::testing::Test::RecordProperty(key + "_median_ms", Fixed(figures.medianMs, 2));
    ::testing::Test::RecordProperty(key + "_worst_ms", Fixed(figures.worstMs, 2));
}

void ReportFigure(const std::string& key, const std::string& what, double value, const char* unit) {
    std::printf("[ figures  ] %s: %s %s\n", what.c_str(), Fixed(value, 1).c_str(), unit);
    (void)std::fflush(stdout);
    ::testing::Test::RecordProperty(key, Fixed(value, 1));
}

std::optional<MemoryFigures> MemoryOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr) return std::nullopt;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    const bool read = GetProcessMemoryInfo(process, &counters, sizeof counters) != 0;
    (void)CloseHandle(process);
    if (!read) return std::nullopt;
    return MemoryFigures{counters.PeakWorkingSetSize, counters.WorkingSetSize, counters.PagefileUsage,
                         counters.PeakPagefileUsage};
}

std::wstring SetFeatureResults(std::string_view results) {
    std::wstring list;
    for (const char result : results) {
        if (!list.empty()) list += L',';
        list += result == '-' ? L'0' : L'1';
    }
    return list;
}

std::string Results(const std::vector<LoggedFrame>& frames) {
    std::string results;
    for (const LoggedFrame& frame : frames) results += frame.accepted ? '+' : '-';
    return results;
}

std::vector<LoggedFrame> LastPush(const std::vector<LoggedFrame>& frames) {
    const auto begin = std::find_if(frames.rbegin(), frames.rend(),
                                    [](const LoggedFrame& frame) { return frame.Command() == CMD_BEGIN; });
    if (begin == frames.rend()) return {};
    return std::vector(std::prev(begin.base()), frames.end());
}

std::optional<std::vector<LoggedFrame>> PushAfterReopen(const std::vector<DriverCall>& calls, std::size_t from) {
    std::size_t opened = from;
    while (opened < calls.size() && calls[opened].entryPoint != "Open_FeatureDevice") ++opened;
    if (opened == calls.size()) return std::nullopt;
    const auto frames = LoggedFrames(std::vector(calls.begin() + static_cast<std::ptrdiff_t>(opened), calls.end()));
    auto begin = frames.begin();
    while (begin != frames.end() && begin->Command() != CMD_BEGIN) ++begin;
    auto end = begin;
    while (end != frames.end() && end->Command() != CMD_END) ++end;
    if (end == frames.end()) return std::nullopt;
    return std::vector(begin, end + 1);
}

std::wstring SectionWriterExe() { return WinePath(KORVID_SECTION_WRITER_PATH); }

DWORD SectionMutexWait(DWORD timeoutMs) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName);
    if (mutex == nullptr) return WAIT_FAILED;
    const DWORD wait = WaitForSingleObject(mutex, timeoutMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) (void)ReleaseMutex(mutex);
    (void)CloseHandle(mutex);
    return wait;
}

}  // namespace korvid::e2e
