// The simulated hiddriver.dll: the seven entry points of hiddriver.h with no
// mouse behind them. Every call is appended as one line to the log file named
// by KORVID_SIM_LOG; the results of Open_FeatureDevice and SetFeature, and the
// time SetFeature takes, come from environment variables read at each call.
// README.md in this folder lists the variables and the log format.
//
// Threads: the host calls SetFeature on its worker thread while the window
// thread may be inside another entry point. Nothing here waits on anything
// but the log lock, which is held only while one line is written, so a slow
// SetFeature (KORVID_SIM_DELAY_MS) never holds up the other entry points.
//
// Two reduced builds of this file stand for a driver library that lacks entry
// points: KORVID_SIM_OMIT_OPEN_FEATURE_DEVICE leaves out Open_FeatureDevice,
// KORVID_SIM_OMIT_SET_FEATURE leaves out SetFeature.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <type_traits>
#include <vector>

#include "base/unique_resource_win.h"
#include "hiddriver.h"

namespace {

// Serialises the lines of this process; FILE_APPEND_DATA keeps the lines of
// other processes that share the log whole.
SRWLOCK logLock = SRWLOCK_INIT;

// Calls so far, for the lists of results; used only by the entry points this
// build exports.
[[maybe_unused]] std::atomic<unsigned> openFeatureCalls{0};
[[maybe_unused]] std::atomic<unsigned> setFeatureCalls{0};

std::wstring Environment(const wchar_t* name) {
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) return {};  // unset or empty
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.resize(n);  // n counts the terminator when the buffer was too small
    }
}

// The integers of a comma-separated list; items that are not integers are
// left out.
std::vector<long> IntegerList(const std::wstring& text) {
    std::vector<long> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L',', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring item = text.substr(start, end - start);
        wchar_t* stop = nullptr;
        const long value = std::wcstol(item.c_str(), &stop, 0);
        if (stop != item.c_str()) values.push_back(value);
        start = end + 1;
    }
    return values;
}

// The result of the call with 0-based number `call`: the list's entry of that
// number, the last entry for every later call, `fallback` without a list.
[[maybe_unused]] int ListedResult(const wchar_t* variable, unsigned call, int fallback) {
    const std::vector<long> values = IntegerList(Environment(variable));
    if (values.empty()) return fallback;
    const std::size_t index = call < values.size() ? call : values.size() - 1;
    return static_cast<int>(values[index]);
}

[[maybe_unused]] unsigned long EnvironmentNumber(const wchar_t* variable) {
    const std::wstring text = Environment(variable);
    if (text.empty()) return 0;
    const long value = std::wcstol(text.c_str(), nullptr, 0);
    return value > 0 ? static_cast<unsigned long>(value) : 0;
}

void AppendLine(const std::string& line) {
    const std::wstring path = Environment(L"KORVID_SIM_LOG");
    if (path.empty()) return;
    AcquireSRWLockExclusive(&logLock);
    korvid::UniqueFileHandle file;
    // A reader may hold the file for a moment without sharing it; retry a
    // little rather than lose the line.
    for (int attempt = 0; attempt < 200; ++attempt) {
        file.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(5);
    }
    if (file) {
        DWORD written = 0;
        (void)WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);  // nothing to do
    }
    ReleaseSRWLockExclusive(&logLock);
}

// Writes "<ms> <entryPoint>[ <args>] -> <result>" with the time the call began.
int Logged(ULONGLONG startMs, const char* entryPoint, const std::string& args, int result) {
    char head[64];
    (void)std::snprintf(head, sizeof head, "%llu ", startMs);
    std::string line = head;
    line += entryPoint;
    if (!args.empty()) line += " " + args;
    line += " -> " + std::to_string(result) + "\r\n";
    AppendLine(line);
    return result;
}

[[maybe_unused]] std::string HexBytes(const unsigned char* bytes, int length) {
    std::string text;
    if (bytes == nullptr || length <= 0) return text;
    text.reserve(static_cast<std::size_t>(length) * 3);
    for (int i = 0; i < length; ++i) {
        char byte[4];
        (void)std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += byte;
    }
    return text;
}

}  // namespace

extern "C" {

__declspec(dllexport) int Set_VIDPID(unsigned short vendorId, unsigned short productId) {
    const ULONGLONG now = GetTickCount64();
    char args[32];
    (void)std::snprintf(args, sizeof args, "0x%04X 0x%04X", vendorId, productId);
    return Logged(now, kSetVidPidName, args, 1);
}

__declspec(dllexport) int Open_DevMonitor(HWND window, UINT eventMsg, UINT connectionMsg) {
    const ULONGLONG now = GetTickCount64();
    char args[64];
    (void)std::snprintf(args, sizeof args, "%llu %u %u",
                        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)), eventMsg,
                        connectionMsg);
    return Logged(now, kOpenDevMonitorName, args, 1);
}

__declspec(dllexport) int Close_DevMonitor() { return Logged(GetTickCount64(), kCloseDevMonitorName, {}, 1); }

#if !defined(KORVID_SIM_OMIT_OPEN_FEATURE_DEVICE)
__declspec(dllexport) int Open_FeatureDevice() {
    const ULONGLONG now = GetTickCount64();
    const unsigned call = openFeatureCalls.fetch_add(1);
    return Logged(now, kOpenFeatureDeviceName, {}, ListedResult(L"KORVID_SIM_OPEN", call, 1));
}
#endif

__declspec(dllexport) int Close_FeatureDevice() { return Logged(GetTickCount64(), kCloseFeatureDeviceName, {}, 1); }

#if !defined(KORVID_SIM_OMIT_SET_FEATURE)
__declspec(dllexport) int SetFeature(const unsigned char* frame, int length) {
    const ULONGLONG now = GetTickCount64();
    const unsigned call = setFeatureCalls.fetch_add(1);
    int result = ListedResult(L"KORVID_SIM_SETFEATURE", call, 1);
    const unsigned long failEvery = EnvironmentNumber(L"KORVID_SIM_FAIL_EVERY");
    if (failEvery != 0 && (call + 1) % failEvery == 0) result = 0;
    const unsigned long delayMs = EnvironmentNumber(L"KORVID_SIM_DELAY_MS");
    if (delayMs != 0) Sleep(static_cast<DWORD>(delayMs));
    std::string args = std::to_string(length);
    const std::string bytes = HexBytes(frame, length);
    if (!bytes.empty()) args += " " + bytes;
    return Logged(now, kSetFeatureName, args, result);
}
#endif

__declspec(dllexport) int GetFeature(unsigned char* buffer, int length) {
    const ULONGLONG now = GetTickCount64();
    if (buffer != nullptr && length > 0) ZeroMemory(buffer, static_cast<std::size_t>(length));
    return Logged(now, kGetFeatureName, std::to_string(length), 0);  // the simulated mouse has nothing to report
}

}  // extern "C"

// The exported functions have exactly the contract's types.
static_assert(std::is_same_v<decltype(&Set_VIDPID), SetVidPidFn>);
static_assert(std::is_same_v<decltype(&Open_DevMonitor), OpenDevMonitorFn>);
static_assert(std::is_same_v<decltype(&Close_DevMonitor), CloseDevMonitorFn>);
static_assert(std::is_same_v<decltype(&Close_FeatureDevice), CloseFeatureDeviceFn>);
static_assert(std::is_same_v<decltype(&GetFeature), GetFeatureFn>);
#if !defined(KORVID_SIM_OMIT_OPEN_FEATURE_DEVICE)
static_assert(std::is_same_v<decltype(&Open_FeatureDevice), OpenFeatureDeviceFn>);
#endif
#if !defined(KORVID_SIM_OMIT_SET_FEATURE)
static_assert(std::is_same_v<decltype(&SetFeature), SetFeatureFn>);
#endif
