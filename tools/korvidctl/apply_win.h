// The second half of set and import: checked assignments applied to the
// running host as the customizer applies an edit.
//
//   1. Refuse while a window titled like the customizer is open (the real
//      customizer would overwrite the change, or another korvidctl runs).
//   2. Find the host window, the section mutex and the section (exit 2 when
//      one is missing), and open the answer window under the customizer's
//      title.
//   3. Under the mutex: read the section, apply the assignments with their
//      change flags, replace Config.data with the new image, then write the
//      image into the section. When the file cannot be written, the section
//      is left as it was.
//   4. Post WM_HOST_APPLY_ALL to the host window and wait (at most 30 s) for
//      WM_UI_ENABLE_APPLY at the answer window.
#pragma once

#include <span>

#include "inspect/config_edit.h"

namespace korvid::ctl {

inline constexpr unsigned long kAnswerTimeoutMs = 30000;

// The exit code: kExitOk, kExitRefused, kExitNoHost or kExitFailed.
int ApplyToHost(std::span<const Assignment> assignments);

}  // namespace korvid::ctl
