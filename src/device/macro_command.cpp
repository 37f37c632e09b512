#include "device/macro_command.h"

#include <algorithm>

namespace korvid {
namespace {

using L = MacroLayout;
using E = MacroEntryLayout;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

MacroStep EncodeMacroStep(const MacroEvent& event) {
    const unsigned delay = event.delay;
    const std::uint8_t release = event.state == 1 ? 0 : kMacroReleaseBit;
    MacroStep step;
    step.bytes[E::kKey] = event.key;
    if ((delay >> 1) <= kLargestStepValue) {
        // Half the delay, at least 1, always odd.
        step.bytes[E::kLead] = static_cast<std::uint8_t>(std::max(delay >> 1, 1u) | 1u | release);
        step.size = E::kShortBytes;
        return step;
    }
    step.bytes[E::kLead] = static_cast<std::uint8_t>(kMacroLongLead | release);
    MacroDelayUnit unit = std::end(kMacroDelayUnits)[-1];
    for (const MacroDelayUnit& u : kMacroDelayUnits) {
        if (delay / u.milliseconds <= kLargestStepValue) {
            unit = u;
            break;
        }
    }
    // Delays from 51,200 ms would need more than one byte in the last unit:
    // clamped to 255 (51 s), never wrapped.
    step.bytes[E::kValue] = static_cast<std::uint8_t>(std::min(delay / unit.milliseconds, 255u));
    step.bytes[E::kUnit] = unit.unit;
    step.size = E::kLongBytes;
    return step;
}

std::size_t MacroNameKeptChars(const char16_t (&name)[kMacroNameChars], const AnsiConverter& toAnsi) {
    // Only the text up to the terminator; a name without one ends at the array.
    std::size_t length = std::find(std::begin(name), std::end(name), u'\0') - std::begin(name);
    // A name whose ANSI form is longer than the field is cut at a whole
    // character: the longest prefix that fits, never half a surrogate pair.
    for (; length > 0; --length) {
        if (IsHighSurrogate(name[length - 1])) continue;
        if (toAnsi(std::u16string_view(name, length)).size() < kMacroNameBytes) return length;
    }
    return 0;
}

std::string MacroNameToAnsi(const char16_t (&name)[kMacroNameChars], const AnsiConverter& toAnsi) {
    const std::size_t kept = MacroNameKeptChars(name, toAnsi);
    return kept == 0 ? std::string() : toAnsi(std::u16string_view(name, kept));
}

Frame<kMacroLength> EncodeMacroCommand(const ButtonData& slot, int macroNumber, const AnsiConverter& toAnsi) {
    auto frame = NewFrame<MacroLayout>();
    frame[L::kNumber] = LowByte(macroNumber);
    frame[L::kOption] = LowByte(slot.macroOption);
    const std::uint8_t repeat = LowByte(slot.macroRepeat);
    frame[L::kRepeat] = repeat == 0 ? 1 : repeat;

    const std::string name = MacroNameToAnsi(slot.macroName, toAnsi);
    std::copy(name.begin(), name.end(), frame.begin() + L::kName);  // at most 23 bytes; the NUL is already there

    // Never read past the 40 entries of events, whatever eventCount says.
    const int count = std::min<int>(slot.eventCount, kMaxMacroEvents);
    std::size_t at = L::kEntries;
    for (int i = 0; i < count; ++i) {
        const MacroStep step = EncodeMacroStep(slot.events[i]);
        // A macro too long for the entry area is cut after the last whole
        // entry that fits; the unit count covers only what is sent.
        if (at + step.size > kMacroLength) break;
        std::copy_n(step.bytes.begin(), step.size, frame.begin() + static_cast<std::ptrdiff_t>(at));
        at += step.size;
    }
    frame[L::kUnitCount] = static_cast<std::uint8_t>((at - L::kEntries) / L::kUnitBytes);
    return frame;
}

}  // namespace korvid
