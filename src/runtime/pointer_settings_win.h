// The Windows pointer settings of each profile: captured from the user's
// settings into the active profile at start-up, applied when the active
// profile's settings differ from those last pushed.
#pragma once

#include "config/share_data.h"

namespace korvid {

// Reads the user's current settings into the pointer fields of the profile.
void CapturePointerSettings(ProfileData& profile);

// Applies the active profile's settings that differ from pushedImage's.
void ApplyPointerSettings(const ShareData& working, const ShareData& pushedImage);

}  // namespace korvid
