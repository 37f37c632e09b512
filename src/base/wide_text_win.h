// UTF-16 text crossing between the portable core (char16_t) and Win32
// (wchar_t, also two bytes here).
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

namespace korvid {

inline std::u16string ToU16(const std::wstring& s) { return {s.begin(), s.end()}; }
inline std::wstring ToWide(const std::u16string& s) { return {s.begin(), s.end()}; }

}  // namespace korvid
