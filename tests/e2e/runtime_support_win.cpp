#include "runtime_support_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "shared_section_win.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

constexpr DWORD kPollMs = 20;
constexpr DWORD kWaitMs = 10000;
// Posted by the test to its own recorder windows, never by the host.
constexpr UINT kFlushMessage = WM_APP + 77;

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    (void)MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

bool IsFrame(const DriverCall& call) { return call.parsed && call.entryPoint == "SetFeature"; }

// "3 04 00 FF" -> "04 00 FF".
std::string FrameBytes(const DriverCall& call) {
    const std::size_t space = call.args.find(' ');
    return space == std::string::npos ? std::string() : call.args.substr(space + 1);
}

struct TitledWindows {
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTitled(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<TitledWindows*>(param);
    wchar_t text[256] = {};
    (void)GetWindowTextW(window, text, 256);
    DWORD owner = 0;
    (void)GetWindowThreadProcessId(window, &owner);
    if (wcscmp(text, request->title) == 0 && owner != GetCurrentProcessId()) request->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ForeignWindowsTitled(const wchar_t* title) {
    TitledWindows request{title, {}};
    (void)EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return condition();
        Sleep(kPollMs);
    }
}

std::unique_ptr<ShareData> ImageOf(std::span<const std::uint8_t> bytes) {
    auto image = std::make_unique<ShareData>();
    EXPECT_EQ(bytes.size(), kImageSize);
    std::memcpy(image.get(), bytes.data(), bytes.size() < kImageSize ? bytes.size() : kImageSize);
    return image;
}

std::vector<std::uint8_t> BytesOf(const ShareData& image) {
    std::vector<std::uint8_t> bytes(kImageSize);
    std::memcpy(bytes.data(), &image, kImageSize);
    return bytes;
}

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
    return WaitUntil([&] { return recorder.Count(kFlushMessage) > before; }, kWaitMs);
}

bool StageStandIn(const std::wstring& path) {
    return CopyFileW(WinePath(KORVID_TEST_PROGRAM_PATH).c_str(), path.c_str(), FALSE) != 0;
}

std::wstring ProgramStart::FileName() const {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::vector<ProgramStart> ReadProgramStarts(const std::wstring& logPath) {
    std::vector<ProgramStart> starts;
    const auto bytes = ReadFileBytes(logPath);
    if (!bytes) return starts;
    const std::wstring text = Widen(std::string(bytes->begin(), bytes->end()));
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find(L"\r\n", begin);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(begin, end - begin);
        const std::size_t bar = line.find(L'|');
        starts.push_back({line.substr(0, bar), bar == std::wstring::npos ? L"" : line.substr(bar + 1)});
        begin = end + 2;
    }
    return starts;
}

std::vector<std::wstring> StartedFileNames(const std::wstring& logPath) {
    std::vector<std::wstring> names;
    for (const ProgramStart& start : ReadProgramStarts(logPath)) names.push_back(start.FileName());
    return names;
}

std::unique_ptr<ChildProgram> ChildProgram::Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        ADD_FAILURE() << "CreateProcessW failed with error " << GetLastError();
        return nullptr;
    }
    (void)CloseHandle(info.hThread);
    return std::unique_ptr<ChildProgram>(new ChildProgram(info.hProcess, info.dwProcessId));
}

ChildProgram::~ChildProgram() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        (void)TerminateProcess(process_, 0xDEAD);
        (void)WaitForSingleObject(process_, kWaitMs);
    }
    (void)CloseHandle(process_);
}

DWORD ForegroundProcessId() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) return 0;
    DWORD processId = 0;
    (void)GetWindowThreadProcessId(foreground, &processId);
    return processId;
}

bool CloseWindowsTitled(const wchar_t* title) {
    for (HWND window : ForeignWindowsTitled(title)) (void)PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitUntil([&] { return ForeignWindowsTitled(title).empty(); }, kWaitMs)) return true;
    for (HWND window : ForeignWindowsTitled(title)) {
        DWORD processId = 0;
        (void)GetWindowThreadProcessId(window, &processId);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
            (void)TerminateProcess(process, 0xDEAD);
            (void)WaitForSingleObject(process, kWaitMs);
            (void)CloseHandle(process);
        }
    }
    return ForeignWindowsTitled(title).empty();
}

}  // namespace korvid::e2e
