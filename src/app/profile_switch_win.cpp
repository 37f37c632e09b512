// Automatic profile switching: while the mouse is attached, every tick of
// TIMER_FOREGROUND_CHECK makes the profile bound to the foreground program
// active.
#include "app/host_state_win.h"
#include "app/korvid_wnd_win.h"
#include "protocol/korvid_protocol.h"
#include "runtime/foreground_switch_win.h"

namespace korvid {

void CKorvidWnd::CheckForegroundProgram() {
    if (const std::optional<int> profile = ProfileForForegroundProgram(working_)) SwitchProfile(*profile);
}

void CKorvidWnd::SwitchProfile(int profileIndex) {
    working_.Write([&](ShareData& image) { image.activeProfile = profileIndex; });
    (void)section_.PublishToSection(working_);
    // The mouse follows: kind 3 sends only the active-profile command.
    (void)host.workerThread.PostPush(PUSH_PROFILE);
    ApplyActivePointerSettings();
    NotifyProfileChanged(profileIndex);
}

}  // namespace korvid
