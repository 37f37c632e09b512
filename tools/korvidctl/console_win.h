// Console output of korvidctl: UTF-8 text, written as UTF-16 to a console
// window and as UTF-8 bytes to a pipe or a file. Also the exit codes every
// command returns.
#pragma once

#include <string>
#include <string_view>

namespace korvid::ctl {

enum ExitCode : int {
    kExitOk = 0,
    kExitRefused = 1,  // the input was refused (nothing was changed), or a customizer window is open
    kExitNoHost = 2,   // the host window, the section or the section mutex is missing
    kExitFailed = 3,   // the change was made but the host did not confirm it, or a file could not be written
};

void Out(std::string_view utf8);
void Err(std::string_view utf8);  // prefixed with "korvidctl: ", one line

std::string ToUtf8(std::wstring_view text);

// 'operation "path": error 5 (Access denied)' for a system error code that
// the caller read right after the call that failed.
std::string SystemErrorMessage(std::string_view operation, std::wstring_view path, unsigned long code);

}  // namespace korvid::ctl
