#include "listen_win.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "answer_window_win.h"
#include "base/unique_resource_win.h"
#include "console_win.h"
#include "host_link_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid::ctl {
namespace {

constexpr wchar_t kListenClassName[] = L"KorvidctlListenWindow";
constexpr unsigned long kLongestWaitMs = 600000;
constexpr unsigned long kDefaultStopWaitMs = 30000;

// What the listening window has heard; one listener per process.
struct Heard {
    ULONGLONG start = 0;
    unsigned count = 0;
} heard;

std::optional<unsigned long> ParseCount(std::string_view text, unsigned long low, unsigned long high) {
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

std::string MessageName(UINT message) {
    switch (message) {
        case WM_UI_PROFILE_CHANGED:
            return "WM_UI_PROFILE_CHANGED (the active profile changed)";
        case WM_UI_STAGE_CHANGED:
            return "WM_UI_STAGE_CHANGED (the DPI stage changed)";
        case WM_UI_ENABLE_APPLY:
            return "WM_UI_ENABLE_APPLY (the push has ended)";
        case WM_CLOSE:
            return "WM_CLOSE (the mouse was removed or the host is ending)";
        default:
            return "message " + std::to_string(message);
    }
}

// The host posts WM_USER-range messages and WM_CLOSE; the rest is the
// window's own traffic.
bool FromHost(UINT message) { return message == WM_CLOSE || (message >= WM_USER && message < 0xC000); }

LRESULT CALLBACK ListenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!FromHost(message)) return DefWindowProcW(window, message, wParam, lParam);
    ++heard.count;
    Out("  +" + std::to_string(GetTickCount64() - heard.start) + " ms " + MessageName(message) + ", wParam " +
        std::to_string(wParam) + ", lParam " + std::to_string(lParam) + "\n");
    return 0;  // WM_CLOSE included: the listener stays until its time is up
}

}  // namespace

int RunListen(std::span<const std::string> args) {
    std::optional<unsigned long> waitMs;
    std::optional<unsigned long> wanted;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--count" && i + 1 < args.size() && !wanted) {
            wanted = ParseCount(args[++i], 1, 1000);
            if (!wanted) break;
        } else if (!waitMs) {
            waitMs = ParseCount(args[i], 1, kLongestWaitMs);
            if (!waitMs) break;
        } else {
            waitMs.reset();
            break;
        }
    }
    if (!waitMs || (wanted && *wanted == 0)) {
        Err("usage: korvidctl listen MS [--count N] (MS from 1 to " + std::to_string(kLongestWaitMs) +
            ", N from 1 to 1000)");
        return kExitRefused;
    }
    if (FindWindowW(nullptr, kCustomizerWindowTitle) != nullptr) {
        Err("a window titled \"" + ToUtf8(kCustomizerWindowTitle) + "\" is already open; the host talks to that one");
        return kExitRefused;
    }
    HWND window = CreateCustomizerTitledWindow(kListenClassName, &ListenProc);
    if (window == nullptr) {
        Err("cannot create the listening window");
        return kExitFailed;
    }
    heard = Heard{GetTickCount64(), 0};
    Out("listening as the customizer for up to " + std::to_string(*waitMs) + " ms\n");
    const ULONGLONG deadline = heard.start + *waitMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (wanted && heard.count >= *wanted) break;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
    (void)DestroyWindow(window);
    Out("heard " + std::to_string(heard.count) + " message(s)\n");
    if (wanted && heard.count < *wanted) {
        Err("expected " + std::to_string(*wanted) + " message(s) within " + std::to_string(*waitMs) + " ms, heard " +
            std::to_string(heard.count));
        return kExitFailed;
    }
    return kExitOk;
}

int RunStop(std::span<const std::string> args) {
    std::optional<unsigned long> waitMs = kDefaultStopWaitMs;
    if (args.size() == 1) waitMs = ParseCount(args[0], 1, kLongestWaitMs);
    if (args.size() > 1 || !waitMs) {
        Err("usage: korvidctl stop [MS] (how long to wait for the host to end, 1 to " + std::to_string(kLongestWaitMs) +
            ")");
        return kExitRefused;
    }
    HWND host = FindHostWindowOrReport();
    if (host == nullptr) return kExitNoHost;
    DWORD processId = 0;
    (void)GetWindowThreadProcessId(host, &processId);
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        Err("cannot open the host process " + std::to_string(processId) + " to wait for it");
        return kExitFailed;
    }
    if (!PostMessageW(host, WM_CLOSE, 0, 0)) {
        Err("posting WM_CLOSE to the host window failed");
        return kExitNoHost;
    }
    Out("posted WM_CLOSE to the host window (process " + std::to_string(processId) + ")\n");
    if (WaitForSingleObject(process.get(), *waitMs) != WAIT_OBJECT_0) {
        Err("the host did not end within " + std::to_string(*waitMs) + " ms");
        return kExitFailed;
    }
    DWORD exitCode = 0;
    (void)GetExitCodeProcess(process.get(), &exitCode);
    Out("the host ended with exit code " + std::to_string(exitCode) + "\n");
    return exitCode == 0 ? kExitOk : kExitFailed;
}

}  // namespace korvid::ctl
