// Diagnostics: single lines to the debugger output, each ending in "\n".
// There is no log file and no log level.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cwchar>

namespace korvid {

inline void DebugLine(const wchar_t* line) { OutputDebugStringW(line); }

inline void DebugLineF(const wchar_t* format, ...) {
    wchar_t buffer[512];
    va_list args;
    va_start(args, format);
    (void)std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);  // cut if longer
    va_end(args);
    OutputDebugStringW(buffer);
}

}  // namespace korvid
