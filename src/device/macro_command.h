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

// The 132-byte CMD_MACRO frame.
struct MacroLayout {
    static constexpr std::uint8_t kCommand = CMD_MACRO;
    static constexpr const char* kCommandName = "CMD_MACRO";
    static constexpr std::size_t kLength = kMacroLength;
    static constexpr std::size_t kNumber = 2;  // the number the push gave this macro
    static constexpr std::size_t kOption = 4;
    static constexpr std::size_t kRepeat = 8;      // 0 is sent as 1
    static constexpr std::size_t kName = 9;        // kMacroNameBytes, NUL-terminated
    static constexpr std::size_t kUnitCount = 33;  // two-byte units used in the entry area
    static constexpr std::size_t kEntries = 34;    // the steps, packed without gaps
    static constexpr std::size_t kUnitBytes = 2;
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, kMacroLength}});
    static constexpr auto kZeros = std::to_array<std::size_t>({3, 5, 6, 7});
};
static_assert(MacroLayout::kName + kMacroNameBytes == MacroLayout::kUnitCount);
static_assert(MacroLayout::kEntries + kMacroEntryAreaBytes == kMacroLength);

// A step entry: a short one is two bytes, lead and key; a long one adds a
// value and its unit.
struct MacroEntryLayout {
    static constexpr std::size_t kLead = 0;  // kMacroReleaseBit, and half the delay (short) or kMacroLongLead (long)
    static constexpr std::size_t kKey = 1;
    static constexpr std::size_t kValue = 2;  // long only: the delay in units
    static constexpr std::size_t kUnit = 3;   // long only: kMacroDelayUnits
    static constexpr std::size_t kShortBytes = 2;
    static constexpr std::size_t kLongBytes = 4;
};
// In the lead byte of an entry: the step releases its key.
inline constexpr std::uint8_t kMacroReleaseBit = 0x80;
// The lead byte of a long entry, before the release bit.
inline constexpr std::uint8_t kMacroLongLead = 0x01;
// The largest half-delay of a short entry and the largest value of a long one.
inline constexpr unsigned kLargestStepValue = 127;

// A long entry counts its delay in the first unit whose value fits in 7 bits.
struct MacroDelayUnit {
    std::uint8_t unit;
    unsigned milliseconds;
};
inline constexpr MacroDelayUnit kMacroDelayUnits[] = {{1, 50}, {2, 100}, {3, 200}};

// One recorded step as the device takes it.
struct MacroStep {
    std::array<std::uint8_t, 4> bytes{};
    std::size_t size = 0;  // kShortBytes for a delay up to 255, else kLongBytes
};

MacroStep EncodeMacroStep(const MacroEvent& event);

// How many UTF-16 characters of a macro name its ANSI form keeps: the
// longest prefix whose ANSI form fits in 23 bytes, never half a surrogate
// pair. The customizer shows the kept part before the name is cut.
std::size_t MacroNameKeptChars(const char16_t (&name)[kMacroNameChars], const AnsiConverter& toAnsi);

// The ANSI form of a macro name, at most 23 bytes, cut before the first
// character that does not fit whole.
std::string MacroNameToAnsi(const char16_t (&name)[kMacroNameChars], const AnsiConverter& toAnsi);

// The 132-byte CMD_MACRO frame of a macro button, uploaded as macroNumber.
Frame<kMacroLength> EncodeMacroCommand(const ButtonData& slot, int macroNumber, const AnsiConverter& toAnsi);

}  // namespace korvid
