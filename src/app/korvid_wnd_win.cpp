#include "app/korvid_wnd_win.h"

#include <shellapi.h>

#include <memory>

#include "app/companions_win.h"
#include "app/host_state_win.h"
#include "config/file_store_win.h"
#include "config/settings_file_win.h"
#include "protocol/korvid_protocol.h"
#include "runtime/pointer_settings_win.h"

namespace korvid {
namespace {

// The host window is never shown; its place and size are still fixed.
inline constexpr int kHostWindowX = 100;
inline constexpr int kHostWindowY = 100;
inline constexpr int kHostWindowWidth = 100;
inline constexpr int kHostWindowHeight = 100;

}  // namespace

const std::array<MessageMapEntry<CKorvidWnd>, 11> CKorvidWnd::kMessageMap = {{
    {WM_CREATE, 0, &CKorvidWnd::OnCreate},
    {WM_DESTROY, 0, &CKorvidWnd::OnDestroy},
    {WM_TIMER, 0, &CKorvidWnd::OnTimer},
    {WM_HOST_APPLY_ALL, 0, &CKorvidWnd::OnApplyAllSetting},
    {WM_HOST_RELOAD, 0, &CKorvidWnd::OnReloadSetting},
    {WM_HOST_RELOAD_POINTER, 0, &CKorvidWnd::OnReloadPointerSetting},
    {WM_SYSTRAY_NOTIFY, 0, &CKorvidWnd::OnSystrayNotify},
    {WM_DEVICE_CONNECTION, 0, &CKorvidWnd::OnDeviceConnection},
    {WM_DEVICE_EVENT, 0, &CKorvidWnd::OnDeviceEvent},
    {WM_COMMAND, ID_TRAY_CUSTOMIZER, &CKorvidWnd::OnCustomizer},
    {WM_COMMAND, ID_TRAY_EXIT, &CKorvidWnd::OnExitCommand},
}};

CKorvidWnd::CKorvidWnd() : taskbarCreatedMessage_(RegisterWindowMessageW(L"TaskbarCreated")) {}

CKorvidWnd::~CKorvidWnd() { ReleaseResources(); }

bool CKorvidWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != 0 && message == taskbarCreatedMessage_) {
        result = OnTaskbarCreated(wParam, lParam);
        return true;
    }
    return DispatchMessageMap<CKorvidWnd>(kMessageMap, *this, message, wParam, lParam, result);
}

bool CKorvidWnd::CreateHostWindow() {
    if (CreateEx(0, kHostWindowTitle, WS_POPUP, kHostWindowX, kHostWindowY, kHostWindowWidth, kHostWindowHeight))
        return true;
    // A window whose creation failed may never see WM_DESTROY: release here
    // what OnCreate had acquired.
    ReleaseResources();
    return false;
}

LRESULT CKorvidWnd::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    acquiring_ = true;

    host.installDir = ExecutableDirectory();
    // Only string resources are taken from lan.dll: load it as data, so no
    // code of it runs in the host.
    host.languageLibrary.reset(LoadLibraryExW((host.installDir + kLanguageLibraryName).c_str(), nullptr,
                                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    (void)host.hidDriver.BindHidDriver(host.installDir);  // without it the device never opens
    (void)LoadConfiguration(working_, host.installDir, &CapturePointerSettings);
    ReadOsdSettings(osdSettings_, host.installDir);

    if (!section_.CreateMutexObject()) return -1;  // another host or a stray customizer owns the exchange
    if (section_.CreateSharedSection()) (void)section_.PublishToSection(working_);
    {
        auto image = std::make_unique<ShareData>();
        working_.CopyTo(*image);
        pushedImage_.Write([&](ShareData& pushed) { pushed = *image; });
    }

    (void)host.workerThread.Start(&CKorvidWnd::WorkerThreadProc, this);  // without it no push is made
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);

    const DeviceIds ids = ReadDeviceIds(host.installDir);
    if (host.hidDriver.OpenDevice(m_hWnd, ids.vendorId, ids.productId)) {
        SetTimer(m_hWnd, TIMER_FOREGROUND_CHECK, kForegroundCheckMs, nullptr);
        SetTimer(m_hWnd, TIMER_INITIAL_PUSH, kInitialPushDelayMs, nullptr);
        AddTrayIcon();
        if (host.openCustomizerAtStart == 1) OnCustomizer(0, 0);
        host.deviceState = kDeviceAttached;
    } else {
        host.deviceState = kDeviceNeverOpened;
    }

    ApplyActivePointerSettings();  // finds no difference yet: pushedImage is the working copy
    StartCompanionPrograms(host.installDir);
    return 0;
}

DWORD WINAPI CKorvidWnd::WorkerThreadProc(LPVOID param) {
    auto* window = static_cast<CKorvidWnd*>(param);
    return RunPushLoop(window->working_, window->pushedImage_, host.deviceState, host.hidDriver,
                       [] { EnableCustomizerApply(L"Thread Send Enable OK/Apply Button\n"); });
}

LRESULT CKorvidWnd::OnDestroy(WPARAM, LPARAM) {
    ReleaseResources();
    return Default();
}

void CKorvidWnd::ReleaseResources() {
    if (!acquiring_) return;  // never created, or released already
    acquiring_ = false;
    if (m_hWnd != nullptr) {
        KillTimer(m_hWnd, TIMER_FOREGROUND_CHECK);
        KillTimer(m_hWnd, TIMER_INITIAL_PUSH);
        KillTimer(m_hWnd, TIMER_ATTACH_SETTLE);
    }
    (void)PostToCustomizer(WM_CLOSE);  // the customizer closes together with the host
    host.workerThread.Stop();          // a push under way ends first
    host.hidDriver.CloseDevMonitor();
    host.hidDriver.CloseFeatureDevice();
    host.hidDriver.Unload();
    section_.CloseSection();
    section_.CloseMutex();
    if (m_hWnd != nullptr) {
        NOTIFYICONDATAW icon{};
        icon.cbSize = NOTIFYICONDATAW_V3_SIZE;
        icon.hWnd = m_hWnd;
        icon.uID = ID_TRAY_ICON;
        (void)Shell_NotifyIconW(NIM_DELETE, &icon);  // shown or not
    }
    host.languageLibrary.reset();
}

LRESULT CKorvidWnd::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId == TIMER_INITIAL_PUSH) {
        KillTimer(m_hWnd, TIMER_INITIAL_PUSH);
        (void)host.workerThread.PostPush(PUSH_ALL);
    } else if (timerId == TIMER_FOREGROUND_CHECK) {
        CheckForegroundProgram();
    } else if (timerId == TIMER_ATTACH_SETTLE) {
        FinishAttach();
    }
    return Default();
}

LRESULT CKorvidWnd::OnApplyAllSetting(WPARAM wParam, LPARAM) {
    section_.ReloadFromSection(working_);
    ApplyActivePointerSettings();
    if (host.deviceState == kDeviceAttached && host.workerThread.PostPush(PUSH_CHANGED, static_cast<LPARAM>(wParam))) {
        return 0;  // the worker tells the customizer when the push is done
    }
    EnableCustomizerApply(L"OnApplyAllSetting  Send Enable OK/Apply Button\n");
    return 0;
}

LRESULT CKorvidWnd::OnReloadSetting(WPARAM, LPARAM) {
    section_.ReloadFromSection(working_);
    return 0;
}

LRESULT CKorvidWnd::OnReloadPointerSetting(WPARAM, LPARAM) {
    section_.ReloadFromSection(working_);
    ApplyActivePointerSettings();
    return 0;
}

void CKorvidWnd::ApplyActivePointerSettings() {
    // Copies, so the two locks are never held together.
    auto working = std::make_unique<ShareData>();
    auto pushed = std::make_unique<ShareData>();
    working_.CopyTo(*working);
    pushedImage_.CopyTo(*pushed);
    ApplyPointerSettings(*working, *pushed);
}

LRESULT CKorvidWnd::OnCustomizer(WPARAM, LPARAM) {
    BringUpOrLaunchCustomizer(host.installDir);
    return 0;
}

LRESULT CKorvidWnd::OnExitCommand(WPARAM, LPARAM) {
    (void)PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace korvid
