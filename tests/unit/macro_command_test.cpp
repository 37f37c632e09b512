// CMD_MACRO: step entries, the frame layout, and the cases where a macro does
// not fit its frame (too many long entries, a long name, a bad eventCount).
#include "device/macro_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "unit_support.h"

namespace korvid {
namespace {

// What the frame must be: zeros everywhere except the bytes placed.
class ExpectedFrame {
public:
    ExpectedFrame& At(std::size_t offset, std::vector<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
        return *this;
    }
    std::string Hex() const { return korvid::Hex(bytes_); }

private:
    Frame<kMacroLength> bytes_{};
};

// A double-byte code page: ASCII is one byte, every other UTF-16 unit two.
std::string DoubleByteConverter(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0x81);
            out += static_cast<char>(c & 0x7F);
        }
    }
    return out;
}

ButtonData MacroSlot(std::u16string_view name) {
    ButtonData slot{};
    slot.function = 16;
    std::copy(name.begin(), name.end(), slot.macroName);
    return slot;
}

TEST(MacroCommand, TwoStepMacroNamedAbc) {
    ButtonData slot = MacroSlot(u"abc");
    slot.eventCount = 2;
    slot.events[0] = {.key = 4, .state = 1, .delay = 100};
    slot.events[1] = {.key = 4, .state = 0, .delay = 300};
    EXPECT_EQ(Hex(EncodeMacroCommand(slot, 1, AsciiConverter)),
              ExpectedFrame()
                  .At(0, {0x0A, 0x84, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01})
                  .At(9, {0x61, 0x62, 0x63, 0x00})
                  .At(33, {0x03, 0x33, 0x04, 0x81, 0x04, 0x06, 0x01})
                  .Hex());
}

TEST(MacroCommand, HeaderFields) {
    const struct {
        const char* name;
        int number;
        std::int32_t option;
        std::int32_t repeat;
        const char* expected;  // bytes 2 to 8
    } kCases[] = {
        {"repeat 0 is sent as 1", 7, 0, 0, "07 00 00 00 00 00 01"},
        {"repeat 2", 7, 0, 2, "07 00 00 00 00 00 02"},
        {"repeat sends its low byte", 7, 0, 0x103, "07 00 00 00 00 00 03"},
        {"repeat 256 has low byte 0, sent as 1", 7, 0, 0x100, "07 00 00 00 00 00 01"},
        {"option sends its low byte", 120, 0x1FE, 1, "78 00 FE 00 00 00 01"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ButtonData slot = MacroSlot(u"m");
        slot.macroOption = c.option;
        slot.macroRepeat = c.repeat;
        const auto frame = EncodeMacroCommand(slot, c.number, AsciiConverter);
        EXPECT_EQ(Hex(std::span(frame).subspan(MacroLayout::kNumber, 7)), c.expected);
    }
}

TEST(MacroCommand, StepEntries) {
    const struct {
        std::uint16_t delay;
        const char* press;    // state 1, key 0x2C
        const char* release;  // state 0
    } kCases[] = {
        {0, "01 2C", "81 2C"},
        {1, "01 2C", "81 2C"},
        {3, "01 2C", "81 2C"},
        {4, "03 2C", "83 2C"},
        {7, "03 2C", "83 2C"},
        {100, "33 2C", "B3 2C"},
        {255, "7F 2C", "FF 2C"},
        {256, "01 2C 05 01", "81 2C 05 01"},
        {6399, "01 2C 7F 01", "81 2C 7F 01"},
        {6400, "01 2C 40 02", "81 2C 40 02"},
        {12799, "01 2C 7F 02", "81 2C 7F 02"},
        {12800, "01 2C 40 03", "81 2C 40 03"},
        {25599, "01 2C 7F 03", "81 2C 7F 03"},
        {25600, "01 2C 80 03", "81 2C 80 03"},
        {51199, "01 2C FF 03", "81 2C FF 03"},
        {51200, "01 2C FF 03", "81 2C FF 03"},  // clamped, not wrapped to 00
        {65535, "01 2C FF 03", "81 2C FF 03"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE("delay " + std::to_string(c.delay));
        for (const std::uint8_t state : {1, 0, 2}) {
            const MacroStep step = EncodeMacroStep({.key = 0x2C, .state = state, .delay = c.delay});
            EXPECT_EQ(Hex(std::span(step.bytes).first(step.size)), state == 1 ? c.press : c.release)
                << "state " << int{state};
        }
    }
}

TEST(MacroCommand, EntryArea) {
    const MacroEvent kShort{.key = 4, .state = 1, .delay = 10};   // 05 04
    const MacroEvent kLong{.key = 5, .state = 0, .delay = 1000};  // 81 05 14 01
    const struct {
        const char* name;
        int shortSteps;  // first
        int longSteps;   // then
        int trailingShortSteps;
        std::uint16_t eventCount;
        int sentShort;  // entries expected in the frame, in the same order
        int sentLong;
        int sentTrailing;
    } kCases[] = {
        {"no steps", 0, 0, 0, 0, 0, 0, 0},
        {"40 short steps take 80 bytes", 40, 0, 0, 40, 40, 0, 0},
        {"9 long and 31 short fill the 49 units exactly", 31, 9, 0, 40, 31, 9, 0},
        {"full after 1 short and 24 long; the rest is dropped", 1, 24, 15, 40, 1, 24, 0},
        {"a long entry that does not fit the last unit ends the macro", 0, 25, 15, 40, 0, 24, 0},
        {"24 long then a long that no longer fits", 0, 40, 0, 40, 0, 24, 0},
        {"cut in the trailing short steps", 0, 10, 30, 40, 0, 10, 29},
        {"eventCount above 40 reads only the 40 entries", 40, 0, 0, 41, 40, 0, 0},
        {"eventCount 65535", 40, 0, 0, 65535, 40, 0, 0},
        {"eventCount below the steps present", 40, 0, 0, 3, 3, 0, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ButtonData slot = MacroSlot(u"");
        int i = 0;
        for (int n = 0; n < c.shortSteps; ++n) slot.events[i++] = kShort;
        for (int n = 0; n < c.longSteps; ++n) slot.events[i++] = kLong;
        for (int n = 0; n < c.trailingShortSteps; ++n) slot.events[i++] = kShort;
        slot.eventCount = c.eventCount;
        std::fill(std::begin(slot.launchPath), std::end(slot.launchPath), u'\xFFFF');  // what lies past events

        std::vector<std::uint8_t> area;
        for (int n = 0; n < c.sentShort; ++n) area.insert(area.end(), {0x05, 0x04});
        for (int n = 0; n < c.sentLong; ++n) area.insert(area.end(), {0x81, 0x05, 0x14, 0x01});
        for (int n = 0; n < c.sentTrailing; ++n) area.insert(area.end(), {0x05, 0x04});
        const auto units = static_cast<std::uint8_t>(area.size() / 2);

        EXPECT_EQ(Hex(EncodeMacroCommand(slot, 1, AsciiConverter)),
                  ExpectedFrame()
                      .At(0, {0x0A, 0x84, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01})
                      .At(MacroLayout::kUnitCount, {units})
                      .At(MacroLayout::kEntries, area)
                      .Hex());
    }
}

TEST(MacroCommand, Names) {
    const struct {
        const char* name;
        std::u16string macroName;
        std::string (*convert)(std::u16string_view);
        std::string expected;
    } kCases[] = {
        {"plain", u"abc", AsciiConverter, "abc"},
        {"empty", u"", AsciiConverter, ""},
        {"23 characters fit", u"abcdefghijklmnopqrstuvw", AsciiConverter, "abcdefghijklmnopqrstuvw"},
        {"24 characters without terminator lose the last", u"abcdefghijklmnopqrstuvwx", AsciiConverter,
         "abcdefghijklmnopqrstuvw"},
        {"double-byte characters that fit", u"\u3042\u3044", DoubleByteConverter, "\x81\x42\x81\x44"},
        {"a double-byte character is not split", u"abcdefghijklmnopqrstuv\u3042", DoubleByteConverter,
         "abcdefghijklmnopqrstuv"},
        {"twelve double-byte characters keep eleven", std::u16string(12, u'\u3042'), DoubleByteConverter,
         [] {
             std::string s;
             for (int i = 0; i < 11; ++i) s += "\x81\x42";
             return s;
         }()},
        {"a surrogate pair is not split", u"abcdefghijklmnopqrstuv\U0001F600", AsciiConverter,
         "abcdefghijklmnopqrstuv"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ButtonData slot = MacroSlot(c.macroName);
        std::vector<std::u16string> asked;
        const AnsiConverter convert = [&](std::u16string_view text) {
            asked.emplace_back(text);
            return c.convert(text);
        };
        const auto frame = EncodeMacroCommand(slot, 1, convert);
        std::vector<std::uint8_t> field(c.expected.begin(), c.expected.end());
        field.resize(kMacroNameBytes, 0);
        EXPECT_EQ(Hex(std::span(frame).subspan(MacroLayout::kName, kMacroNameBytes)), Hex(field));
        for (const std::u16string& text : asked) {
            EXPECT_FALSE(!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF)
                << "converter given half a surrogate pair";
        }
    }
}

}  // namespace
}  // namespace korvid
