// UTF-16 text crossing between the portable core (char16_t) and Win32
// (wchar_t, also two bytes here).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

namespace korvid {

inline std::u16string ToU16(const std::wstring& s) { return {s.begin(), s.end()}; }
inline std::wstring ToWide(const std::u16string& s) { return {s.begin(), s.end()}; }

// UTF-8 (the portable core's messages and names) as Windows text.
inline std::wstring Utf8ToWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    (void)MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

// Text in the system's 8-bit code page, as macro names go to the device.
inline std::string ToAnsiCodePage(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, wide, length, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

}  // namespace korvid
