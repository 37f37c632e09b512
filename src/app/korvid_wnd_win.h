// The hidden host window: every input of the host arrives here as a message
// and is handled on the thread that created the window. Its creation handler
// is the whole start-up sequence and its destruction handler the whole
// shut-down sequence. The worker thread (WorkerThreadProc) shares the working
// copy and pushedImage with it, each behind its own lock.
//
// Where the members are defined (all in src/app/):
//   korvid_wnd_win.cpp      message map, CreateHostWindow, OnCreate, OnDestroy,
//                           OnTimer, the customizer's apply and reload
//                           messages, WorkerThreadProc, OnCustomizer,
//                           OnExitCommand, ApplyActivePointerSettings
//   device_events_win.cpp   OnDeviceEvent, OnDeviceConnection and what the
//                           mouse reports: DispatchDeviceEvent, FinishAttach,
//                           RemoveDevice, ApplyDeviceChange,
//                           NotifyProfileChanged, LaunchButtonProgram
//   profile_switch_win.cpp  CheckForegroundProgram, SwitchProfile
//   tray_icon_win.cpp       AddTrayIcon, RemoveTrayIcon, OnSystrayNotify,
//                           ShowTrayMenu, OnTaskbarCreated
// The Windows glue they call takes what it needs as parameters: the worker
// (device/worker_thread_win.h), the configuration file (config/), the
// foreground program and the pointer settings (runtime/).
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <array>
#include <string>

#include "base/framework_win.h"
#include "base/unique_resource_win.h"
#include "config/osd_settings.h"
#include "config/shared_section_win.h"
#include "config/working_copy.h"
#include "runtime/device_event.h"

namespace korvid {

class CKorvidWnd : public CWnd {
public:
    CKorvidWnd();
    ~CKorvidWnd() override;

    // Creates the window; OnCreate runs inside. False when start-up stopped,
    // after everything start-up had acquired was released again.
    bool CreateHostWindow();

    // The worker thread's procedure; its parameter is the host window.
    static DWORD WINAPI WorkerThreadProc(LPVOID window);

    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnApplyAllSetting(WPARAM, LPARAM);
    LRESULT OnReloadSetting(WPARAM, LPARAM);
    LRESULT OnReloadPointerSetting(WPARAM, LPARAM);
    LRESULT OnSystrayNotify(WPARAM, LPARAM);
    LRESULT OnDeviceConnection(WPARAM, LPARAM);
    LRESULT OnDeviceEvent(WPARAM, LPARAM);
    LRESULT OnCustomizer(WPARAM, LPARAM);
    LRESULT OnExitCommand(WPARAM, LPARAM);

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static const std::array<MessageMapEntry<CKorvidWnd>, 11> kMessageMap;

    void DispatchDeviceEvent(EventCode code);
    void FinishAttach();
    void RemoveDevice();
    void ApplyDeviceChange(const DeviceEventAction& change);
    void NotifyProfileChanged(int profileIndex);
    void LaunchButtonProgram(const std::u16string& launchPath);
    void CheckForegroundProgram();
    void SwitchProfile(int profileIndex);
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ShowTrayMenu();
    LRESULT OnTaskbarCreated(WPARAM, LPARAM);
    void ReleaseResources();  // the shut-down steps; safe to run more than once
    void ApplyActivePointerSettings();

    WorkingCopy working_;      // the configuration every part of the host uses
    WorkingCopy pushedImage_;  // the configuration as at start-up and after the last push
    SharedSection section_;
    OsdSettings osdSettings_{};  // zero until read: no on-screen-display notifications
    NOTIFYICONDATAW trayIconData_{};
    UniqueIcon trayIcon_;
    UINT taskbarCreatedMessage_ = 0;  // registered "TaskbarCreated": the shell restarted
    bool acquiring_ = false;          // OnCreate has begun taking resources that are not yet released
    bool attachPending_ = false;      // an attach waits for the device to settle
};

}  // namespace korvid
