#include "device/worker_thread_win.h"

#include "app/companions_win.h"
#include "app/debug_output_win.h"
#include "app/host_messages.h"
#include "app/host_state_win.h"
#include "app/korvid_wnd_win.h"

namespace korvid {

DWORD WINAPI CKorvidWnd::WorkerThreadProc(LPVOID param) {
    auto* window = static_cast<CKorvidWnd*>(param);
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
    SetEvent(window->workerQueueReady_.get());
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_THREAD_PUSH || host.deviceState != kDeviceAttached) continue;  // dropped
        if (msg.wParam == kPushChanged) {
            if (!PostToCustomizer(WM_UI_ENABLE_APPLY)) DebugLine(L"OnApplyAllSetting Don't find Derin Option Dialog\n");
            DebugLine(L"Thread Send Enable OK/Apply Button\n");
        }
    }
    return 0;
}

}  // namespace korvid
