// What the mouse reports, carried out on the host window's thread: profile and
// DPI-stage changes made on the mouse, launch-program and open-customizer
// buttons, attach and removal.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "app/companions_win.h"
#include "app/host_state_win.h"
#include "app/korvid_wnd_win.h"
#include "base/debug_output_win.h"
#include "base/wide_text_win.h"
#include "protocol/korvid_protocol.h"
#include "runtime/device_event.h"

namespace korvid {

LRESULT CKorvidWnd::OnDeviceEvent(WPARAM wParam, LPARAM lParam) {
    DispatchDeviceEvent(EventCodeFromMessage(wParam, lParam));
    return 1;
}

LRESULT CKorvidWnd::OnDeviceConnection(WPARAM wParam, LPARAM) {
    DispatchDeviceEvent(EventCodeFromConnection(wParam));
    return 1;
}

void CKorvidWnd::DispatchDeviceEvent(EventCode code) {
    // A removal while an attach is still settling cancels it, even when the
    // state says removed already (the attach has not taken effect yet).
    if (attachPending_ && EventClassOf(code) == EVENT_CONNECTION && EventArgumentOf(code) == kConnectionRemoved) {
        RemoveDevice();
        return;
    }
    const DeviceEventAction action =
        working_.Read([&](const ShareData& image) { return DecideDeviceEvent(code, image, host.deviceState); });
    switch (action.action) {
        case DeviceAction::kNone:
            break;
        case DeviceAction::kAttach:
            // The device settles for a second before it takes feature reports;
            // a timer waits, so the window keeps answering meanwhile.
            attachPending_ = true;
            SetTimer(m_hWnd, TIMER_ATTACH_SETTLE, kAttachSettleMs, nullptr);
            break;
        case DeviceAction::kRemove:
            RemoveDevice();
            break;
        case DeviceAction::kSetProfile:
        case DeviceAction::kSetStage:
            ApplyDeviceChange(action);
            break;
        case DeviceAction::kLaunchProgram:
            LaunchButtonProgram(action.launchPath);
            break;
        case DeviceAction::kOpenCustomizer:
            (void)PostMessageW(m_hWnd, WM_COMMAND, ID_TRAY_CUSTOMIZER, 0);
            break;
    }
}

void CKorvidWnd::FinishAttach() {
    KillTimer(m_hWnd, TIMER_ATTACH_SETTLE);
    if (!attachPending_) return;  // removed again while settling
    attachPending_ = false;
    host.deviceState = kDeviceAttached;
    (void)host.hidDriver.OpenFeatureDevice();
    (void)host.workerThread.PostPush(PUSH_ALL);
    AddTrayIcon();
    SetTimer(m_hWnd, TIMER_FOREGROUND_CHECK, kForegroundCheckMs, nullptr);
}

void CKorvidWnd::RemoveDevice() {
    attachPending_ = false;
    KillTimer(m_hWnd, TIMER_ATTACH_SETTLE);
    host.deviceState = kDeviceRemoved;
    host.hidDriver.CloseFeatureDevice();
    RemoveTrayIcon();
    KillTimer(m_hWnd, TIMER_FOREGROUND_CHECK);
    (void)PostToCustomizer(WM_CLOSE);  // the customizer closes when the mouse goes away
}

void CKorvidWnd::ApplyDeviceChange(const DeviceEventAction& change) {
    working_.Write([&](ShareData& image) { RecordDeviceChange(image, change); });
    (void)section_.PublishToSection(working_);  // skipped without the mutex; the rest happens all the same
    HWND osd = FindOsdWindow();
    DebugLineF(L"Show OSD %d\n", static_cast<int>(reinterpret_cast<INT_PTR>(osd)));
    if (change.action == DeviceAction::kSetProfile) {
        ApplyActivePointerSettings();
        NotifyProfileChanged(change.index);
    } else {
        (void)PostToCustomizer(WM_UI_STAGE_CHANGED);
    }
}

void CKorvidWnd::NotifyProfileChanged(int profileIndex) {
    (void)PostToCustomizer(WM_UI_PROFILE_CHANGED);
    if (osdSettings_.osdEnabled != 1) return;
    if (HWND osd = FindOsdWindow()) (void)PostMessageW(osd, WM_OSD_SHOW, kOsdShowWParam, OsdShowLParam(profileIndex));
}

void CKorvidWnd::LaunchButtonProgram(const std::u16string& launchPath) {
    // The result is not examined: a program that cannot be opened changes nothing.
    (void)ShellExecuteW(nullptr, L"open", ToWide(launchPath).c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace korvid
