// The customizer's keys: the one table from Windows virtual keys to the USB
// HID keyboard usages the mouse sends, the names it shows, the keyboard-key
// capture of the Buttons page, and the button functions it offers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "customizer/button_functions.h"
#include "customizer/key_codes.h"
#include "device/button_command.h"

namespace korvid {
namespace {

// Every key the table must map, written out from the HID Usage Tables'
// Keyboard/Keypad page and winuser.h, independently of the table's own
// patterns: {virtual key, extended, usage}.
std::map<std::pair<unsigned, bool>, unsigned> ExpectedKeys() {
    std::map<std::pair<unsigned, bool>, unsigned> keys;
    for (unsigned i = 0; i < 26; ++i) keys[{'A' + i, false}] = 0x04 + i;
    for (unsigned i = 0; i < 9; ++i) keys[{'1' + i, false}] = 0x1E + i;
    keys[{'0', false}] = 0x27;
    for (unsigned i = 0; i < 12; ++i) keys[{0x70 + i, false}] = 0x3A + i;  // F1..F12
    for (unsigned i = 0; i < 12; ++i) keys[{0x7C + i, false}] = 0x68 + i;  // F13..F24
    for (unsigned i = 0; i < 9; ++i) keys[{0x61 + i, false}] = 0x59 + i;   // Num 1..9
    keys[{0x60, false}] = 0x62;                                            // Num 0
    const unsigned rest[][3] = {
        {0x0D, 0, 0x28}, {0x1B, 0, 0x29}, {0x08, 0, 0x2A}, {0x09, 0, 0x2B}, {0x20, 0, 0x2C}, {0xBD, 0, 0x2D},
        {0xBB, 0, 0x2E}, {0xDB, 0, 0x2F}, {0xDD, 0, 0x30}, {0xDC, 0, 0x31}, {0xBA, 0, 0x33}, {0xDE, 0, 0x34},
        {0xC0, 0, 0x35}, {0xBC, 0, 0x36}, {0xBE, 0, 0x37}, {0xBF, 0, 0x38}, {0x14, 0, 0x39}, {0x2C, 0, 0x46},
        {0x91, 0, 0x47}, {0x13, 0, 0x48}, {0x2D, 0, 0x49}, {0x24, 0, 0x4A}, {0x21, 0, 0x4B}, {0x2E, 0, 0x4C},
        {0x23, 0, 0x4D}, {0x22, 0, 0x4E}, {0x27, 0, 0x4F}, {0x25, 0, 0x50}, {0x28, 0, 0x51}, {0x26, 0, 0x52},
        {0x90, 0, 0x53}, {0x6F, 0, 0x54}, {0x6A, 0, 0x55}, {0x6D, 0, 0x56}, {0x6B, 0, 0x57}, {0x0D, 1, 0x58},
        {0x6E, 0, 0x63}, {0xE2, 0, 0x64}, {0x5D, 0, 0x65}, {0xA2, 0, 0xE0}, {0xA0, 0, 0xE1}, {0xA4, 0, 0xE2},
        {0x5B, 0, 0xE3}, {0xA3, 0, 0xE4}, {0xA1, 0, 0xE5}, {0xA5, 0, 0xE6}, {0x5C, 0, 0xE7},
    };
    for (const auto& r : rest) keys[{r[0], r[1] != 0}] = r[2];
    return keys;
}

TEST(CustomizerKeys, TheTableMapsExactlyTheKeysWithAUsageAndNamesEachOnce) {
    const auto expected = ExpectedKeys();
    std::map<std::pair<unsigned, bool>, unsigned> table;
    std::set<unsigned> usages;
    std::set<std::string> names;
    for (const KeyRow& row : KeyTable()) {
        table[{row.virtualKey, row.extended}] = row.usage;
        EXPECT_TRUE(usages.insert(row.usage).second) << "usage twice: " << int(row.usage);
        EXPECT_TRUE(names.insert(row.name).second) << "name twice: " << row.name;
        EXPECT_EQ(KeyName(row.usage), row.name);
    }
    EXPECT_EQ(table, expected);
    for (const auto& [key, usage] : expected) {
        SCOPED_TRACE(key.first);
        EXPECT_EQ(HidUsageOfKey({key.first, 0, key.second}), std::optional<std::uint8_t>(usage));
    }
}

TEST(CustomizerKeys, SidesOfModifiersAndKeysWithoutAUsage) {
    const struct {
        const char* name;
        KeyStroke key;
        std::optional<std::uint8_t> usage;
    } kCases[] = {
        {"Shift, left scan code", {0x10, 0x2A, false}, 0xE1},
        {"Shift, right scan code", {0x10, 0x36, false}, 0xE5},
        {"Ctrl", {0x11, 0x1D, false}, 0xE0},
        {"Ctrl, extended: right", {0x11, 0x1D, true}, 0xE4},
        {"Alt", {0x12, 0x38, false}, 0xE2},
        {"Alt, extended: right (AltGr)", {0x12, 0x38, true}, 0xE6},
        {"an arrow with the extended bit is the arrow", {0x25, 0x4B, true}, 0x50},
        {"volume mute: consumer page, not a keyboard usage", {0xAD, 0, true}, std::nullopt},
        {"left mouse button", {0x01, 0, false}, std::nullopt},
        {"IME process key", {0xE5, 0, false}, std::nullopt},
        {"not a key", {0xFF, 0, false}, std::nullopt},
        {"beyond a byte", {0x141, 0, false}, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HidUsageOfKey(c.key), c.usage);
    }
    EXPECT_EQ(KeyName(0x87), "Key 0x87");
    EXPECT_EQ(KeyComboName(0x01 | 0x02, 0x04), "Ctrl+Shift+A");
    EXPECT_EQ(KeyComboName(0x40, 0x3D), "Right Alt+F4");
    EXPECT_EQ(KeyComboName(0x08, 0), "Windows");
    EXPECT_EQ(KeyComboName(0, 0), "(none)");
}

TEST(CustomizerKeys, CaptureTakesTheHeldModifiersWithTheFirstOtherKey) {
    const KeyStroke ctrl{0x11, 0x1D, false}, shift{0x10, 0x2A, false}, a{'A', 0x1E, false}, rightAlt{0x12, 0x38, true},
        f4{0x73, 0x3E, false}, mute{0xAD, 0, true};

    KeyCapture capture;
    EXPECT_FALSE(capture.KeyDown(ctrl).captured);
    EXPECT_FALSE(capture.KeyDown(shift).captured);
    EXPECT_FALSE(capture.KeyDown(ctrl).captured) << "auto-repeat of a held modifier";
    KeyCapture::Result got = capture.KeyDown(a);
    EXPECT_TRUE(got.captured);
    EXPECT_EQ(got.modifiers, 0x03);
    EXPECT_EQ(got.keyCode, 0x04);
    EXPECT_FALSE(capture.KeyUp(shift).captured) << "releasing after a key captures nothing more";
    EXPECT_FALSE(capture.KeyUp(ctrl).captured);

    got = capture.KeyDown(rightAlt);
    got = capture.KeyDown(f4);
    EXPECT_EQ(got.modifiers, 0x40);
    EXPECT_EQ(got.keyCode, 0x3D);
    capture.Reset();

    // A modifier alone, or two released one by one: captured once, key 0.
    (void)capture.KeyDown(ctrl);
    (void)capture.KeyDown(shift);
    got = capture.KeyUp(shift);
    EXPECT_TRUE(got.captured);
    EXPECT_EQ(got.modifiers, 0x03);
    EXPECT_EQ(got.keyCode, 0);
    EXPECT_FALSE(capture.KeyUp(ctrl).captured);

    got = capture.KeyDown(mute);
    EXPECT_FALSE(got.captured);
    EXPECT_NE(got.refusal.find("0xAD has no USB keyboard code"), std::string::npos) << got.refusal;
}

TEST(CustomizerKeys, ButtonFunctionsOfferEveryCodeOfTheTableOnceWithNamesOnlyWhereKnown) {
    const auto offered = OfferedButtonFunctions();
    std::set<std::uint8_t> codes(offered.begin(), offered.end());
    EXPECT_EQ(codes.size(), offered.size()) << "a code offered twice";
    std::set<std::uint8_t> tableCodes;
    for (const ButtonFunction& row : ButtonFunctionTable) tableCodes.insert(row.code);
    EXPECT_EQ(codes, tableCodes);
    ASSERT_GE(offered.size(), 3u);
    EXPECT_EQ((std::vector<std::uint8_t>(offered.begin(), offered.begin() + 3)),
              (std::vector<std::uint8_t>{kFunctionKey, kFunctionMacro, kFunctionLaunch}));

    // A named key combination is named by the keys the table sends for it.
    for (const ButtonFunctionName& row : ButtonFunctionNames()) {
        const auto bytes = LookupButtonFunction(row.code);
        ASSERT_TRUE(bytes.has_value()) << row.name;
        if ((*bytes)[kSlotFunction] == kFunctionKey && row.code != kFunctionKey) {
            EXPECT_EQ(row.name, KeyComboName((*bytes)[kSlotParam1], (*bytes)[kSlotParam2])) << int(row.code);
        }
    }
    EXPECT_EQ(ButtonFunctionLabel(16), "Macro");
    EXPECT_EQ(ButtonFunctionLabel(1), "Function 1");
    EXPECT_EQ(ButtonFunctionLabel(6), "Function 6");
    EXPECT_EQ(ButtonFunctionLabel(45), "Function 45 (not sent: 00 00 00)");
    EXPECT_EQ(ButtonFunctionLabel(0), "Function 0 (not sent: 00 00 00)");
}

}  // namespace
}  // namespace korvid
