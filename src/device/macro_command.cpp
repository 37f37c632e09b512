#include "device/macro_command.h"

#include <algorithm>

namespace korvid {
namespace {

constexpr std::size_t kNumber = 2;
constexpr std::size_t kOption = 4;
constexpr std::size_t kRepeat = 8;
constexpr std::size_t kName = 9;
constexpr std::size_t kUnitCount = 33;  // two-byte units used in the entry area
constexpr std::size_t kEntries = 34;

static_assert(kName + kMacroNameBytes == kUnitCount);
static_assert(kEntries + kMacroEntryAreaBytes == kMacroLength);

constexpr std::uint8_t kReleaseBit = 0x80;  // in byte 0 of an entry: the step releases its key
constexpr unsigned kLargestStepValue = 127;

// A long entry counts its delay in the first unit whose value fits in 7 bits.
struct DelayUnit {
    std::uint8_t unit;
    unsigned milliseconds;
};
constexpr DelayUnit kDelayUnits[] = {{1, 50}, {2, 100}, {3, 200}};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

MacroStep EncodeMacroStep(const MacroEvent& event) {
    const unsigned delay = event.delay;
    const std::uint8_t release = event.state == 1 ? 0 : kReleaseBit;
    MacroStep step;
    step.bytes[1] = event.key;
    if ((delay >> 1) <= kLargestStepValue) {
        // Half the delay, at least 1, always odd.
        step.bytes[0] = static_cast<std::uint8_t>(std::max(delay >> 1, 1u) | 1u | release);
        step.size = 2;
        return step;
    }
    step.bytes[0] = static_cast<std::uint8_t>(0x01 | release);
    DelayUnit unit = std::end(kDelayUnits)[-1];
    for (const DelayUnit& u : kDelayUnits) {
        if (delay / u.milliseconds <= kLargestStepValue) {
            unit = u;
            break;
        }
    }
    // Delays from 51,200 ms would need more than one byte in the last unit:
    // clamped to 255 (51 s), never wrapped.
    step.bytes[2] = static_cast<std::uint8_t>(std::min(delay / unit.milliseconds, 255u));
    step.bytes[3] = unit.unit;
    step.size = 4;
    return step;
}

std::string MacroNameToAnsi(const char16_t (&name)[kMacroNameChars], const AnsiConverter& toAnsi) {
    // Only the text up to the terminator; a name without one ends at the array.
    std::size_t length = std::find(std::begin(name), std::end(name), u'\0') - std::begin(name);
    // A name whose ANSI form is longer than the field is cut at a whole
    // character: the longest prefix that fits, never half a surrogate pair.
    for (; length > 0; --length) {
        if (IsHighSurrogate(name[length - 1])) continue;
        std::string ansi = toAnsi(std::u16string_view(name, length));
        if (ansi.size() < kMacroNameBytes) return ansi;
    }
    return {};
}

Frame<kMacroLength> EncodeMacroCommand(const ButtonData& slot, int macroNumber, const AnsiConverter& toAnsi) {
    auto frame = NewFrame<kMacroLength>(CMD_MACRO);
    frame[kNumber] = LowByte(macroNumber);
    frame[kOption] = LowByte(slot.macroOption);
    const std::uint8_t repeat = LowByte(slot.macroRepeat);
    frame[kRepeat] = repeat == 0 ? 1 : repeat;

    const std::string name = MacroNameToAnsi(slot.macroName, toAnsi);
    std::copy(name.begin(), name.end(), frame.begin() + kName);  // at most 23 bytes; the NUL is already there

    // Never read past the 40 entries of events, whatever eventCount says.
    const int count = std::min<int>(slot.eventCount, kMaxMacroEvents);
    std::size_t at = kEntries;
    for (int i = 0; i < count; ++i) {
        const MacroStep step = EncodeMacroStep(slot.events[i]);
        // A macro too long for the entry area is cut after the last whole
        // entry that fits; the unit count covers only what is sent.
        if (at + step.size > kMacroLength) break;
        std::copy_n(step.bytes.begin(), step.size, frame.begin() + static_cast<std::ptrdiff_t>(at));
        at += step.size;
    }
    frame[kUnitCount] = static_cast<std::uint8_t>((at - kEntries) / 2);
    return frame;
}

}  // namespace korvid
