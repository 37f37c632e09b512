#include "runtime_support_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/unique_resource_win.h"
#include "shared_section_win.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

constexpr DWORD kWaitMs = 10000;
// Posted by the test to its own recorder windows, never by the host.
constexpr UINT kFlushMessage = WM_APP + 77;

bool IsFrame(const DriverCall& call) { return call.parsed && call.entryPoint == "SetFeature"; }

// "3 04 00 FF" -> "04 00 FF".
std::string FrameBytes(const DriverCall& call) {
    const std::size_t space = call.args.find(' ');
    return space == std::string::npos ? std::string() : call.args.substr(space + 1);
}

}  // namespace

void SetText(char16_t* field, std::size_t capacity, const std::wstring& text) {
    ASSERT_LT(text.size(), capacity) << "the text does not fit its field";
    for (std::size_t i = 0; i < text.size(); ++i) field[i] = static_cast<char16_t>(text[i]);
    field[text.size()] = u'\0';
}

std::optional<int> SectionActiveProfile() {
    const auto bytes = ReadSection();
    if (!bytes || bytes->size() != kImageSize) return std::nullopt;
    return ImageOf(*bytes)->activeProfile;
}

std::vector<std::string> SentFrames(const std::vector<DriverCall>& log, std::size_t from) {
    std::vector<std::string> frames;
    for (std::size_t i = from; i < log.size(); ++i)
        if (IsFrame(log[i])) frames.push_back(log[i].args);
    return frames;
}

std::size_t CountFrames(const std::vector<DriverCall>& log, const std::string& firstBytes, std::size_t from) {
    std::size_t count = 0;
    for (std::size_t i = from; i < log.size(); ++i)
        if (IsFrame(log[i]) && FrameBytes(log[i]).rfind(firstBytes, 0) == 0) ++count;
    return count;
}

std::size_t CountCalls(const std::vector<DriverCall>& log, const std::string& entryPoint, std::size_t from) {
    std::size_t count = 0;
    for (std::size_t i = from; i < log.size(); ++i)
        if (log[i].entryPoint == entryPoint) ++count;
    return count;
}

bool FlushRecorder(const RecorderWindow& recorder) {
    const std::size_t before = recorder.Count(kFlushMessage);
    if (!PostMessageW(recorder.Handle(), kFlushMessage, 0, 0)) return false;
    return PollUntil([&] { return recorder.Count(kFlushMessage) > before; }, kWaitMs);
}

bool StageStandIn(const std::wstring& path) { return CopyFileW(BuiltStandIn().c_str(), path.c_str(), FALSE) != 0; }

std::vector<std::wstring> StartedFileNames(const std::wstring& logPath) {
    std::vector<std::wstring> names;
    for (const StandInStart& start : ReadStandInStarts(logPath)) names.push_back(start.FileName());
    return names;
}

DWORD ForegroundProcessId() { return WindowProcessId(GetForegroundWindow()); }

bool CloseWindowsTitled(const wchar_t* title) {
    for (HWND window : ForeignWindowsTitled(title)) (void)PostMessageW(window, WM_CLOSE, 0, 0);
    if (PollUntil([&] { return ForeignWindowsTitled(title).empty(); }, kWaitMs)) return true;
    for (HWND window : ForeignWindowsTitled(title)) {
        const UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, WindowProcessId(window)));
        if (!process) continue;
        (void)TerminateProcess(process.get(), 0xDEAD);
        (void)WaitForSingleObject(process.get(), kWaitMs);
    }
    return ForeignWindowsTitled(title).empty();
}

}  // namespace korvid::e2e
