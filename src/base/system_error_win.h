// The system's own text for an error code (GetLastError, a wait's error), for
// messages a person reads. Callers read the code right after the call that
// failed, before anything else can overwrite it, and pass it here.
#pragma once

#include <windows.h>

#include <string>

namespace korvid {

// "The system cannot find the file specified", without the trailing period
// and line break; "unknown error" when the system has no text for the code.
inline std::wstring SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = length != 0 && text != nullptr ? std::wstring(text, length) : L"unknown error";
    if (text != nullptr) (void)LocalFree(text);
    while (!result.empty() &&
           (result.back() == L'\r' || result.back() == L'\n' || result.back() == L'.' || result.back() == L' ')) {
        result.pop_back();
    }
    return result;
}

}  // namespace korvid
