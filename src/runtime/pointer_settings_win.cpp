#include "runtime/pointer_settings_win.h"

namespace korvid {

// The host does not touch the Windows pointer settings yet.
void CapturePointerSettings(ProfileData&) {}
void ApplyPointerSettings(const ShareData&, const ShareData&) {}

}  // namespace korvid
