// CMD_MACRO of one button slot with any content, as the push encodes it:
// eventCount beyond 40, names without terminator or with half surrogate
// pairs, any delays, any macro number, under code pages of one, two or more
// bytes per character. EncodeMacroCommand gets the slot unrepaired, so it
// must guard itself. For every input:
//   - the header bytes carry number, option and repeat (0 sent as 1);
//   - the name is the whole name when its ANSI form fits 23 bytes, otherwise
//     a shorter one, NUL-terminated and zero-filled inside its 24 bytes; the
//     converter never sees text past the terminator or half a surrogate pair;
//   - the entries are EncodeMacroStep of the events in order, as many as fit
//     whole, the unit count says how many units they take, zeros follow;
//   - each step keeps the key, press or release, and its delay to within one
//     unit of the entry's delay (2 ms short; 50, 100 or 200 ms long, the
//     smallest unit that holds it; clamped at 255 units of 200 ms).
#include <algorithm>
#include <cstring>
#include <string>

#include "device/macro_command.h"
#include "fuzz_support.h"

namespace korvid {
namespace {

using L = MacroLayout;
using E = MacroEntryLayout;

unsigned UnitMs(unsigned unit) { return kMacroDelayUnits[unit - 1].milliseconds; }

void CheckConverterInput(std::u16string_view text) {
    KORVID_FUZZ_CHECK(text.size() <= kMacroNameChars, "a name longer than its array");
    KORVID_FUZZ_CHECK(text.find(u'\0') == std::u16string_view::npos, "a name past its terminator");
    KORVID_FUZZ_CHECK(text.empty() || text.back() < 0xD800 || text.back() > 0xDBFF, "half a surrogate pair");
}

// Code pages of different widths: single-byte ('?' for what it lacks),
// double-byte for everything beyond ASCII, UTF-8, and one of three bytes per
// character, where at most seven characters fit. Like WideCharToMultiByte,
// none turns a character other than NUL into a 0 byte.
std::string SingleByte(std::u16string_view text) {
    CheckConverterInput(text);
    std::string out;
    for (const char16_t c : text) out += c < 0x100 ? static_cast<char>(c) : '?';
    return out;
}
std::string DoubleByte(std::u16string_view text) {
    CheckConverterInput(text);
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        // Lead byte 0x81..0xFE, trail byte 0x40..0x7F: never a NUL.
        out += static_cast<char>(0x81 + (c >> 6) % 0x7E);
        out += static_cast<char>(0x40 + (c & 0x3F));
    }
    return out;
}
std::string Utf8(std::u16string_view text) {
    CheckConverterInput(text);
    return Utf16ToUtf8(text);
}
std::string ThreeBytes(std::u16string_view text) {
    CheckConverterInput(text);
    return std::string(3 * text.size(), 'x');
}

void CheckStep(const MacroEvent& event, const MacroStep& step) {
    KORVID_FUZZ_CHECK(step.size == E::kShortBytes || step.size == E::kLongBytes, "a step of neither 2 nor 4 bytes");
    KORVID_FUZZ_CHECK(step.bytes[E::kKey] == event.key, "the key");
    KORVID_FUZZ_CHECK(((step.bytes[E::kLead] & kMacroReleaseBit) != 0) == (event.state != 1), "press or release");
    const unsigned delay = event.delay;
    const unsigned value = step.bytes[E::kLead] & 0x7Fu;
    if (step.size == E::kShortBytes) {
        KORVID_FUZZ_CHECK(delay <= 255, "a short entry for a delay beyond 255 ms");
        KORVID_FUZZ_CHECK(value % 2 == 1, "a short entry with an even value");
        KORVID_FUZZ_CHECK(2 * value + 2 > delay && 2 * value <= std::max(delay, 2u) + 2, "short delay off");
        return;
    }
    KORVID_FUZZ_CHECK(delay > 255, "a long entry for a delay of 255 ms or less");
    KORVID_FUZZ_CHECK(value == kMacroLongLead, "a long entry without its marker");
    const unsigned unit = step.bytes[E::kUnit];
    KORVID_FUZZ_CHECK(unit >= 1 && unit <= 3, "a long entry's unit");
    const unsigned ms = UnitMs(unit);
    const unsigned count = step.bytes[E::kValue];
    if (unit > 1) KORVID_FUZZ_CHECK(delay / UnitMs(unit - 1) > 127, "not the smallest unit that holds the delay");
    if (unit < 3) KORVID_FUZZ_CHECK(count <= 127, "a count beyond 7 bits");
    if (count == 255) {
        KORVID_FUZZ_CHECK(delay >= 255 * ms, "clamped below the largest delay");
    } else {
        KORVID_FUZZ_CHECK(count * ms <= delay && delay < (count + 1) * ms, "long delay off by more than a unit");
    }
}

void CheckFrame(const ButtonData& slot, int number, const AnsiConverter& toAnsi, const Frame<kMacroLength>& frame) {
    KORVID_FUZZ_CHECK(frame[kCommandByte] == CMD_MACRO && frame[kLengthByte] == kMacroLength, "command and length");
    KORVID_FUZZ_CHECK(frame[L::kNumber] == LowByte(number), "macro number");
    KORVID_FUZZ_CHECK(frame[L::kOption] == LowByte(slot.macroOption), "macroOption");
    const std::uint8_t repeat = LowByte(slot.macroRepeat);
    KORVID_FUZZ_CHECK(frame[L::kRepeat] == (repeat == 0 ? 1 : repeat), "macroRepeat");
    for (const std::size_t at : L::kZeros) KORVID_FUZZ_CHECK(frame[at] == 0, "header zeros");

    // The name.
    const auto* name = frame.data() + L::kName;
    const std::size_t nameLength = std::find(name, name + kMacroNameBytes, 0) - name;
    KORVID_FUZZ_CHECK(nameLength < kMacroNameBytes, "a name without NUL in its 24 bytes");
    KORVID_FUZZ_CHECK(std::all_of(name + nameLength, name + kMacroNameBytes, [](std::uint8_t b) { return b == 0; }),
                      "bytes after the name");
    const std::u16string_view whole(
        slot.macroName, std::find(slot.macroName, slot.macroName + kMacroNameChars, u'\0') - slot.macroName);
    const bool endsHalfPair = !whole.empty() && whole.back() >= 0xD800 && whole.back() <= 0xDBFF;
    if (!endsHalfPair) {
        const std::string ansi = toAnsi(whole);
        if (ansi.size() < kMacroNameBytes) {
            KORVID_FUZZ_CHECK(std::string(name, name + nameLength) == ansi, "a name that fits was cut");
        }
    }

    // The entries.
    const int count = std::min<int>(slot.eventCount, kMaxMacroEvents);
    std::size_t at = L::kEntries;
    int sent = 0;
    for (; sent < count; ++sent) {
        const MacroStep step = EncodeMacroStep(slot.events[sent]);
        CheckStep(slot.events[sent], step);
        if (at + step.size > kMacroLength) break;
        KORVID_FUZZ_CHECK(std::equal(step.bytes.begin(), step.bytes.begin() + step.size, frame.begin() + at),
                          "an entry that is not its step");
        at += step.size;
    }
    KORVID_FUZZ_CHECK(frame[L::kUnitCount] == (at - L::kEntries) / L::kUnitBytes, "unit count");
    KORVID_FUZZ_CHECK(std::all_of(frame.begin() + at, frame.end(), [](std::uint8_t b) { return b == 0; }),
                      "bytes after the last entry");
}

}  // namespace
}  // namespace korvid

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvid;
    using namespace korvid::fuzz;
    std::uint8_t input[kMacroInputSize] = {};
    if (size != 0) std::memcpy(input, data, std::min(size, kMacroInputSize));

    static const AnsiConverter kConverters[] = {SingleByte, DoubleByte, Utf8, ThreeBytes};
    const AnsiConverter& toAnsi = kConverters[input[kMacroConverterByte] % std::size(kConverters)];
    std::int32_t number;
    std::memcpy(&number, input + kMacroNumberBytes, sizeof number);
    const auto slot = std::make_unique<ButtonData>();
    std::memcpy(slot.get(), input + kMacroSlotBytes, sizeof(ButtonData));

    CheckFrame(*slot, number, toAnsi, EncodeMacroCommand(*slot, number, toAnsi));
    return 0;
}
