#include "console_win.h"

#include <windows.h>

#include "base/system_error_win.h"
#include "inspect/utf8_text.h"

namespace korvid::ctl {
namespace {

void Write(DWORD stream, std::string_view utf8) {
    HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::optional<std::u16string> wide = Utf8ToUtf16(utf8);
        if (wide) {
            (void)WriteConsoleW(handle, wide->data(), static_cast<DWORD>(wide->size()), &written, nullptr);
            return;
        }
    }
    // A pipe or a file: the bytes as they are. Nothing to do about a failure.
    (void)WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void Out(std::string_view utf8) { Write(STD_OUTPUT_HANDLE, utf8); }

void Err(std::string_view utf8) { Write(STD_ERROR_HANDLE, "korvidctl: " + std::string(utf8) + "\n"); }

std::string ToUtf8(std::wstring_view text) { return Utf16ToUtf8(std::u16string(text.begin(), text.end())); }

std::string SystemErrorMessage(std::string_view operation, std::wstring_view path, unsigned long code) {
    return std::string(operation) + " \"" + ToUtf8(path) + "\": error " + std::to_string(code) + " (" +
           ToUtf8(SystemErrorText(code)) + ")";
}

}  // namespace korvid::ctl
