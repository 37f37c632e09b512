// korvid_push_bench: how long a push of everything takes and how the host's
// window answers meanwhile, with Korvid.exe and the simulated hiddriver.dll
// under Wine. Prints figures; decides nothing (scripts/bench runs it).
//
// For each scenario (a configuration with 0 and with 40 macro buttons) it
//   1. stages an install folder of its own (Korvid.exe, hiddriver.dll) under
//      the build folder and writes Config.data into the host's data folder
//      of this Wine prefix, replacing what was there;
//   2. starts the host with the simulated driver's log switched on and waits
//      for its window; timer 502 starts the push of everything 200 ms later;
//   3. as soon as the first frame is in the log, sends WM_NULL to the host
//      window 100 times (SendMessageTimeout, 10 ms apart) and times each reply;
//   4. waits for CMD_END, closes the host with WM_CLOSE and reads the log.
// Figures: the push's wall time (first to last frame stamp, plus the pause
// after the last frame when the device took it), the accepted frames, the
// ratio wall / (accepted x 100 ms), and the median and worst reply time.
// Frame stamps are GetTickCount64 values, which under Wine move in steps of up
// to about 16 ms; the replies are timed with QueryPerformanceCounter.
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/factory_defaults.h"
#include "config/share_data.h"

namespace {

constexpr wchar_t kHostWindowTitle[] = L"QIV_Brennox_2_Gaming mouse_Korvid";
constexpr std::uint8_t kCmdEnd = 0x0B;
constexpr std::uint8_t kFunctionMacro = 16;
constexpr double kFramePauseMs = 100.0;
constexpr int kProbes = 100;
constexpr DWORD kProbeSpacingMs = 10;
constexpr UINT kProbeTimeoutMs = 5000;
constexpr DWORD kWaitMs = 60000;
constexpr DWORD kPollMs = 5;

std::wstring Widen(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) (void)MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
    return wide;
}

// "/work/build/x" -> "Z:\work\build\x".
std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::optional<std::string> ReadText(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0 && got != 0) text.append(chunk, got);
    (void)CloseHandle(file);
    return text;
}

bool WriteBytes(const std::wstring& path, const void* data, DWORD size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr) != 0 && written == size;
    return CloseHandle(file) != 0 && ok;
}

// One SetFeature line of the simulated driver's log:
// "<ms> SetFeature <length> <byte> ... -> <result>".
struct Frame {
    std::uint64_t ms = 0;
    std::uint8_t command = 0;
    bool accepted = false;
};

std::vector<Frame> FramesInLog(const std::wstring& path) {
    std::vector<Frame> frames;
    const auto text = ReadText(path);
    if (!text) return frames;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string entryPoint;
        Frame frame;
        unsigned length = 0;
        std::string firstByte;
        if (!(in >> frame.ms >> entryPoint >> length >> firstByte) || entryPoint != "SetFeature") continue;
        const std::size_t arrow = line.rfind(" -> ");
        if (arrow == std::string::npos) continue;  // a line still being written
        frame.command = static_cast<std::uint8_t>(std::stoul(firstByte, nullptr, 16));
        frame.accepted = std::strtol(line.c_str() + arrow + 4, nullptr, 10) != 0;
        frames.push_back(frame);
    }
    return frames;
}

template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
    return true;
}

// The configuration of a scenario: the factory defaults with `macros` macro
// buttons, eight to a profile in the slots that are unassigned by default.
std::unique_ptr<korvid::ShareData> ConfigWithMacros(int macros) {
    auto image = std::make_unique<korvid::ShareData>();
    korvid::BuildFactoryDefaults(*image);
    for (int n = 0; n < macros; ++n) {
        korvid::ButtonData& slot = image->profiles[n / 8 % korvid::kProfileCount].buttons[6 + n % 8];
        slot.function = kFunctionMacro;
        slot.macroOption = 1;
        slot.macroRepeat = 1;
        const std::string name = "Macro " + std::to_string(n + 1);
        for (std::size_t i = 0; i < name.size(); ++i) slot.macroName[i] = static_cast<char16_t>(name[i]);
        slot.eventCount = 10;
        for (int e = 0; e < 10; ++e) {
            slot.events[e] = {static_cast<std::uint8_t>(4 + e / 2), static_cast<std::uint8_t>(e % 2 == 0 ? 1 : 0), 30};
        }
    }
    return image;
}

std::wstring DataFolder() {
    wchar_t appData[MAX_PATH] = {};
    (void)SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\QIV Brennox 2";
}

struct Figures {
    std::size_t frames = 0;
    std::size_t accepted = 0;
    double wallMs = 0;
    std::vector<double> replyMs;
    bool probesWithinPush = false;
    std::optional<DWORD> exitCode;
};

class Host {
public:
    ~Host() {
        if (process_.hProcess == nullptr) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            (void)TerminateProcess(process_.hProcess, 0xDEAD);
        (void)CloseHandle(process_.hProcess);
        (void)CloseHandle(process_.hThread);
    }

    bool Start(const std::wstring& exe, const std::wstring& log) {
        // The host inherits this environment: only the log is switched on.
        for (const wchar_t* name :
             {L"KORVID_SIM_OPEN", L"KORVID_SIM_SETFEATURE", L"KORVID_SIM_FAIL_EVERY", L"KORVID_SIM_DELAY_MS"}) {
            (void)SetEnvironmentVariableW(name, nullptr);
        }
        (void)SetEnvironmentVariableW(L"KORVID_SIM_LOG", log.c_str());
        std::wstring commandLine = L"\"" + exe + L"\"";
        const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                              &startup, &process_) != 0;
    }

    // The host window once its thread answers, that is after the start-up.
    HWND WaitForWindow() {
        HWND window = nullptr;
        const bool found = WaitUntil(
            [&] {
                window = FindWindowW(nullptr, kHostWindowTitle);
                DWORD owner = 0;
                if (window != nullptr) (void)GetWindowThreadProcessId(window, &owner);
                DWORD_PTR ignored = 0;
                return owner == process_.dwProcessId &&
                       SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, &ignored) != 0;
            },
            kWaitMs);
        return found ? window : nullptr;
    }

    std::optional<DWORD> Close(HWND window) {
        (void)PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, kWaitMs) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        (void)GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION process_{};
};

std::optional<Figures> RunScenario(const std::wstring& workDir, int macros) {
    const std::wstring dir = workDir + L"\\macros" + std::to_wstring(macros);
    const std::wstring install = dir + L"\\install\\";
    const std::wstring log = dir + L"\\driver.log";
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(dir), error);
    std::filesystem::create_directories(std::filesystem::path(install), error);
    if (!CopyFileW(WinePath(KORVID_EXE_PATH).c_str(), (install + L"Korvid.exe").c_str(), FALSE) ||
        !CopyFileW(WinePath(KORVID_SIM_DRIVER_PATH).c_str(), (install + L"hiddriver.dll").c_str(), FALSE)) {
        std::fprintf(stderr, "cannot stage the install folder\n");
        return std::nullopt;
    }
    const std::wstring config = DataFolder() + L"\\Config";
    std::filesystem::create_directories(std::filesystem::path(config), error);
    const auto image = ConfigWithMacros(macros);
    if (!WriteBytes(config + L"\\Config.data", image.get(), korvid::kImageSize)) {
        std::fprintf(stderr, "cannot write Config.data\n");
        return std::nullopt;
    }

    Host host;
    if (!host.Start(install + L"Korvid.exe", log)) {
        std::fprintf(stderr, "cannot start Korvid.exe\n");
        return std::nullopt;
    }
    HWND window = host.WaitForWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "the host window did not appear (another host running in this prefix?)\n");
        return std::nullopt;
    }
    if (!WaitUntil([&] { return !FramesInLog(log).empty(); }, kWaitMs)) {
        std::fprintf(stderr, "the push did not begin\n");
        return std::nullopt;
    }

    Figures figures;
    LARGE_INTEGER frequency;
    (void)QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < kProbes; ++i) {
        LARGE_INTEGER before;
        LARGE_INTEGER after;
        DWORD_PTR ignored = 0;
        (void)QueryPerformanceCounter(&before);
        const LRESULT answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, &ignored);
        (void)QueryPerformanceCounter(&after);
        const double ms =
            1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
        figures.replyMs.push_back(answered != 0 ? ms : static_cast<double>(kProbeTimeoutMs));
        Sleep(kProbeSpacingMs);
    }
    const auto ended = [&] {
        const auto frames = FramesInLog(log);
        return !frames.empty() && frames.back().command == kCmdEnd;
    };
    figures.probesWithinPush = !ended();
    if (!WaitUntil(ended, kWaitMs)) {
        std::fprintf(stderr, "the push did not end\n");
        return std::nullopt;
    }
    figures.exitCode = host.Close(window);

    const auto frames = FramesInLog(log);
    figures.frames = frames.size();
    figures.accepted = static_cast<std::size_t>(
        std::count_if(frames.begin(), frames.end(), [](const Frame& f) { return f.accepted; }));
    figures.wallMs =
        static_cast<double>(frames.back().ms - frames.front().ms) + (frames.back().accepted ? kFramePauseMs : 0.0);
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    const std::wstring workDir = WinePath(KORVID_BENCH_WORK_DIR);
    std::printf("push of everything, Korvid.exe with the simulated hiddriver.dll under Wine\n");
    std::printf("%-7s %7s %9s %9s %16s %16s %16s\n", "macros", "frames", "accepted", "wall ms", "wall/(acc*100)",
                "reply median ms", "reply worst ms");
    bool complete = true;
    for (const int macros : {0, 40}) {
        const auto figures = RunScenario(workDir, macros);
        if (!figures) {
            complete = false;
            continue;
        }
        const double ratio =
            figures->accepted == 0 ? 0.0 : figures->wallMs / (static_cast<double>(figures->accepted) * kFramePauseMs);
        std::string notes;
        if (!figures->probesWithinPush) notes += " (the push ended before the last probe)";
        if (figures->exitCode != 0u) {
            notes += figures->exitCode ? " (exit code " + std::to_string(*figures->exitCode) + ")"
                                       : " (the host did not end)";
        }
        std::printf("%-7d %7zu %9zu %9.0f %16.4f %16.3f %16.3f%s\n", macros, figures->frames, figures->accepted,
                    figures->wallMs, ratio, Median(figures->replyMs),
                    *std::max_element(figures->replyMs.begin(), figures->replyMs.end()), notes.c_str());
    }
    std::printf("replies: %d WM_NULL sent with SendMessageTimeout while the push ran; frame stamps +-16 ms\n", kProbes);
    return complete ? 0 : 1;
}
