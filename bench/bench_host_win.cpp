#include "bench_host_win.h"

// after windows.h
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace korvid::bench {
namespace {

std::wstring Widen(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) (void)MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
    return wide;
}

bool WriteBytes(const std::wstring& path, const void* data, DWORD size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr) != 0 && written == size;
    return CloseHandle(file) != 0 && ok;
}

std::wstring DataFolder() {
    wchar_t appData[MAX_PATH] = {};
    (void)SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\QIV Brennox 2";
}

}  // namespace

std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring WorkDir() { return WinePath(KORVID_BENCH_WORK_DIR); }

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

std::optional<std::wstring> StageHost(const std::wstring& dir, const ShareData& image) {
    const std::wstring install = dir + L"\\install\\";
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
    if (!WriteBytes(config + L"\\Config.data", &image, kImageSize)) {
        std::fprintf(stderr, "cannot write Config.data\n");
        return std::nullopt;
    }
    return install + L"Korvid.exe";
}

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

bool PushesEnded(const std::wstring& log, std::size_t ends) {
    const auto frames = FramesInLog(log);
    return static_cast<std::size_t>(std::count_if(frames.begin(), frames.end(),
                                                  [](const Frame& f) { return f.command == kCmdEnd; })) >= ends;
}

Host::~Host() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) (void)TerminateProcess(process_.hProcess, 0xDEAD);
    (void)CloseHandle(process_.hProcess);
    (void)CloseHandle(process_.hThread);
}

bool Host::Start(const std::wstring& exe, const std::wstring& log) {
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

HWND Host::WaitForWindow() {
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

std::optional<DWORD> Host::Close(HWND window) {
    (void)PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, kWaitMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    (void)GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

}  // namespace korvid::bench
