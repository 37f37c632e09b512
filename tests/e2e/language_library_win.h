// lan.dll in a test's install folder: the built one, or a copy whose three
// texts (1000 the menu's "open" item, 1001 its "exit" item, 1002 the icon's
// tooltip) the test chooses, including leaving one out.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace korvid::e2e {

inline constexpr unsigned kTextOpenSettings = 1000;
inline constexpr unsigned kTextExit = 1001;
inline constexpr unsigned kTextTooltip = 1002;

// Texts 1000, 1001 and 1002 in that order; nothing leaves that string out.
using LanguageTexts = std::array<std::optional<std::wstring>, 3>;

// Copies the built lan.dll into the folder (which ends with a backslash).
bool StageBuiltLanguageLibrary(const std::wstring& folder);
// A lan.dll holding exactly these texts and no other resource.
bool StageLanguageLibrary(const std::wstring& folder, const LanguageTexts& texts);
// A string of the built lan.dll, read the way the host reads it; empty when
// it has none.
std::wstring BuiltLanguageText(unsigned id);

}  // namespace korvid::e2e
