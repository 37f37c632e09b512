#include "app/korvid_app_win.h"

#include "app/companions_win.h"
#include "app/host_state_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid {

// Exit code of a host whose window could not be created (another process
// owns the section mutex): it ends at once instead of running windowless
// while it holds the single-instance mutex.
inline constexpr int kExitStartupFailed = 1;

bool CKorvidApp::InitInstance() {
    if (m_lpCmdLine[0] == L'1') host.openCustomizerAtStart = 1;

    CreatedObject mutex = CreateNamedMutex(kSingleInstanceMutexName);
    if (mutex.alreadyExisted) {
        mutex.handle.reset();
        if (host.openCustomizerAtStart == 1) BringUpOrLaunchCustomizer(ExecutableDirectory());
        return false;
    }
    singleInstanceMutex_ = std::move(mutex.handle);

    hostWindow_ = std::make_unique<CKorvidWnd>();
    if (!hostWindow_->CreateHostWindow()) {
        startupFailed_ = true;
        return false;
    }
    m_pMainWnd = hostWindow_.get();
    return true;
}

int CKorvidApp::ExitInstance() {
    hostWindow_.reset();
    singleInstanceMutex_.reset();  // from now on a new start becomes the host
    return startupFailed_ ? kExitStartupFailed : CWinApp::ExitInstance();
}

}  // namespace korvid
