#include "fault_support_win.h"

// after windows.h
#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

#include "base/unique_resource_win.h"
#include "device/command_frame.h"
#include "protocol/korvid_protocol.h"
#include "shared_section_win.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

std::string Fixed(double value, int decimals) {
    char text[64];
    (void)std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

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
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return std::nullopt;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) return std::nullopt;
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
    const UniqueHandle mutex(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName));
    if (!mutex) return WAIT_FAILED;
    return MutexGuard(mutex.get(), timeoutMs).status();
}

}  // namespace korvid::e2e
