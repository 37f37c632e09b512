// CMD_MACRO: one macro of a macro button (function 16) - its number, option
// byte, repeat count, name in the system's 8-bit (ANSI) code page, and its
// recorded steps packed as 2-byte (short) or 4-byte (long) entries. The push
// numbers the macros from 1 across the five profiles (settings_push.h); the
// button assignment then tells the device which number a button plays.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/share_data.h"
#include "device/command_frame.h"

namespace korvid {

// Converts UTF-16 text to the system's ANSI code page, without a terminator.
// The host passes WideCharToMultiByte(CP_ACP); the tests pass plain ASCII.
// Called on the pushing thread, with no lock held.
using AnsiConverter = std::function<std::string(std::u16string_view text)>;

// At most this many macros are uploaded in one push.
inline constexpr int kMacroLimit = 120;
// The name field: 23 bytes of text and the terminating NUL.
inline constexpr std::size_t kMacroNameBytes = 24;
// The entry area: 49 units of two bytes.
inline constexpr std::size_t kMacroEntryAreaBytes = 98;

// One recorded step as the device takes it.
struct MacroStep {
    std::array<std::uint8_t, 4> bytes{};
    std::size_t size = 0;  // 2 for a short entry (delay up to 255), 4 for a long one
};

MacroStep EncodeMacroStep(const MacroEvent& event);

// The ANSI form of a macro name, at most 23 bytes, cut before the first
// character that does not fit whole.
std::string MacroNameToAnsi(const char16_t (&name)[kMacroNameChars], const AnsiConverter& toAnsi);

// The 132-byte CMD_MACRO frame of a macro button, uploaded as macroNumber.
Frame<kMacroLength> EncodeMacroCommand(const ButtonData& slot, int macroNumber, const AnsiConverter& toAnsi);

}  // namespace korvid
