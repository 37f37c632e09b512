// Automatic profile switching, the Windows side: which program is in the
// foreground, and which profile is bound to it. Called on the host window's
// thread on every tick of TIMER_FOREGROUND_CHECK while the mouse is attached;
// the host window then makes that profile active.
#pragma once

#include <optional>

#include "config/working_copy.h"

namespace korvid {

// The profile bound to the executable of the foreground window's process;
// nothing when there is no foreground window, its process is not found or
// no profile names its program. Reads the working copy under its lock.
std::optional<int> ProfileForForegroundProgram(const WorkingCopy& working);

}  // namespace korvid
