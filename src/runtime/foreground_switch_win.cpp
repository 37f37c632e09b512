// Automatic profile switching: while the mouse is attached, every tick of
// TIMER_FOREGROUND_CHECK makes the profile bound to the foreground program
// active.
#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include "app/companions_win.h"
#include "protocol/korvid_protocol.h"
#include "app/host_state_win.h"
#include "app/korvid_wnd_win.h"
#include "base/unique_resource_win.h"
#include "device/settings_push.h"
#include "runtime/program_match.h"

namespace korvid {
namespace {

bool EqualsIgnoringCase(const char16_t* processName, const char16_t* boundName) {
    return lstrcmpiW(reinterpret_cast<const wchar_t*>(processName), reinterpret_cast<const wchar_t*>(boundName)) == 0;
}

// The executable file name of the process, as the snapshot reports it.
bool ProcessExecutableName(DWORD processId, wchar_t (&name)[MAX_PATH]) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        (void)snapshot.release();  // not a handle to close
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID != processId) continue;
        lstrcpynW(name, entry.szExeFile, MAX_PATH);
        return true;
    }
    return false;
}

}  // namespace

void CKorvidWnd::CheckForegroundProgram() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) return;
    DWORD processId = 0;
    (void)GetWindowThreadProcessId(foreground, &processId);
    wchar_t name[MAX_PATH] = {};
    if (!ProcessExecutableName(processId, name)) return;
    const std::optional<int> profile = working_.Read([&](const ShareData& image) {
        return ProfileToActivate(image, reinterpret_cast<const char16_t*>(name), &EqualsIgnoringCase);
    });
    if (profile) SwitchProfile(*profile);
}

void CKorvidWnd::SwitchProfile(int profileIndex) {
    working_.Write([&](ShareData& image) { image.activeProfile = profileIndex; });
    (void)section_.PublishToSection(working_);
    // The mouse follows: kind 3 sends only the active-profile command.
    (void)PostThreadMessageW(host.workerThreadId, WM_THREAD_PUSH, PUSH_PROFILE, 0);
    ApplyActivePointerSettings();
    NotifyProfileChanged(profileIndex);
}

}  // namespace korvid
