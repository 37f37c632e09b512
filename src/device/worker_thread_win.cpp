#include "device/worker_thread_win.h"

#include <windows.h>

#include <string>

#include "app/companions_win.h"
#include "base/debug_output_win.h"
#include "protocol/korvid_protocol.h"
#include "app/host_state_win.h"
#include "app/korvid_wnd_win.h"
#include "device/push_job.h"

namespace korvid {
namespace {

inline constexpr DWORD kFramePauseMs = 100;

// Macro names go to the device in the system's 8-bit code page.
std::string ToAnsiCodePage(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, wide, length, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

}  // namespace

int SendFrame(std::span<const std::uint8_t> frame) {
    const int sent = host.hidDriver.SetFeature(frame.data(), static_cast<int>(frame.size()));
    if (sent != 0) Sleep(kFramePauseMs);
    return sent;
}

DWORD WINAPI CKorvidWnd::WorkerThreadProc(LPVOID param) {
    auto* window = static_cast<CKorvidWnd*>(param);
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
    SetEvent(window->workerQueueReady_.get());
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_THREAD_PUSH || host.deviceState != kDeviceAttached) continue;  // dropped
        const PushResult result =
            RunPush(window->working_, window->pushedImage_, static_cast<int>(msg.wParam), &SendFrame, &ToAnsiCodePage);
        if (!result.enableApply) continue;
        if (!PostToCustomizer(WM_UI_ENABLE_APPLY)) DebugLine(L"OnApplyAllSetting Don't find Derin Option Dialog\n");
        DebugLine(L"Thread Send Enable OK/Apply Button\n");
    }
    return 0;
}

}  // namespace korvid
