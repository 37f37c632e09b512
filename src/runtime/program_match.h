// Automatic profile switching: which profile is bound to the program in the
// foreground.
//
// Contract with the host window (window thread, every tick of
// TIMER_FOREGROUND_CHECK while the mouse is attached): CheckForegroundProgram
// finds the executable file name of the foreground process in a toolhelp
// snapshot, then calls ProfileToActivate with the working copy (under its
// lock) and a comparison built on lstrcmpiW. When a profile index comes back
// it calls SwitchProfile with it. Nothing here keeps state between ticks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/share_data.h"

namespace korvid {

// Each part of a bound path (directory, file name, extension) must fit in a
// buffer of this many characters with its terminator.
inline constexpr std::size_t kMaxPathPartChars = 260;

// The name a bound programPath is compared by: white space at both ends
// removed, a leading drive ("X:") skipped, then the text after the last "\" or
// "/". No name (so no match) when nothing is left, when the path ends in a
// separator, or when the directory part (separator included), the file name
// or the extension (from its last ".") has kMaxPathPartChars characters or
// more.
std::optional<std::u16string> BoundProgramName(std::u16string_view programPath);

// Case-insensitive equality of two NUL-terminated names; the host passes a
// wrapper of lstrcmpiW (user's locale), tests an ASCII one.
using ProgramNameEquals = bool (*)(const char16_t* processName, const char16_t* boundName);

// The profile to switch to for the foreground process processName (a bare
// file name): the lowest-index profile whose bound name equals it, unless that
// profile is already active. The image must be repaired (programPath
// terminated).
std::optional<int> ProfileToActivate(const ShareData& image, const char16_t* processName, ProgramNameEquals equals);

}  // namespace korvid
