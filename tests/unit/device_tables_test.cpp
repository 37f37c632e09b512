// The two tables that turn stored values into bytes for the mouse, checked
// entry by entry against values restated here on purpose: the DPI index table
// and the button function table, with the fixed key combinations. Each
// restatement is typed from the commands' documentation, row by row as it is
// printed there, never copied from the product's tables, so a wrong entry in
// either shows up here. The frames are built by the product's encoders.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <span>
#include <string>

#include "config/factory_defaults.h"
#include "device/button_command.h"
#include "device/dpi_command.h"
#include "unit_support.h"

namespace korvid {
namespace {

// Resolution index -> device value, as printed: four columns of
// (index, value), read row by row.
struct DpiEntry {
    int index;
    std::uint8_t value;
};
// clang-format off
constexpr DpiEntry kDocumentedDpi[] = {
    {1, 4},   {17, 39}, {33, 77},  {49, 114},
    {2, 4},   {18, 41}, {34, 78},  {50, 116},
    {3, 6},   {19, 43}, {35, 81},  {51, 119},
    {4, 9},   {20, 46}, {36, 84},  {52, 121},
    {5, 11},  {21, 48}, {37, 85},  {53, 123},
    {6, 14},  {22, 50}, {38, 88},  {54, 126},
    {7, 16},  {23, 52}, {39, 91},  {55, 128},
    {8, 18},  {24, 55}, {40, 93},  {56, 130},
    {9, 21},  {25, 57}, {41, 95},  {57, 133},
    {10, 23}, {26, 59}, {42, 98},  {58, 135},
    {11, 25}, {27, 62}, {43, 100}, {59, 137},
    {12, 27}, {28, 64}, {44, 102}, {60, 140},
    {13, 29}, {29, 66}, {45, 105}, {61, 142},
    {14, 32}, {30, 69}, {46, 107}, {62, 145},
    {15, 34}, {31, 72}, {47, 109},
    {16, 36}, {32, 74}, {48, 112},
};
// clang-format on
constexpr std::uint8_t kDocumentedUnlisted = 34;  // index 0, and every index not printed

// The documented value of an index 0 to 255 that is looked up directly.
std::uint8_t DocumentedDpiValue(int index) {
    for (const DpiEntry& e : kDocumentedDpi) {
        if (e.index == index) return e.value;
    }
    return kDocumentedUnlisted;
}

TEST(DeviceTables, EveryDpiIndexOnBothAxes) {
    ASSERT_EQ(std::size(kDocumentedDpi), 62u);
    auto image = std::make_unique<ShareData>();
    BuildFactoryDefaults(*image);
    ProfileData& profile = image->profiles[3];
    for (int index = 0; index <= 255; ++index) {
        SCOPED_TRACE("index " + std::to_string(index));
        // Indexes above 62 are the upper range: the value of half the index,
        // with the stage's range bit.
        const bool upper = index > 62;
        const std::uint8_t value = DocumentedDpiValue(upper ? index / 2 : index);
        // X of stage 6 and Y of stage 1, the other stages at index 8.
        for (int i = 0; i < kStageCount; ++i) profile.dpiX[i] = profile.dpiY[i] = 8;
        profile.dpiX[6] = index;
        profile.dpiY[1] = index;

        const auto frame = EncodeDpiCommand(profile, 3);
        EXPECT_EQ(frame[8 + 6], value) << "X";
        EXPECT_EQ(frame[16 + 1], value) << "Y";
        EXPECT_EQ(frame[6], upper ? 0x40 : 0x00) << "X range mask";
        EXPECT_EQ(frame[7], upper ? 0x02 : 0x00) << "Y range mask";
        EXPECT_EQ(frame[8 + 0], 18) << "another stage changed";
        EXPECT_EQ(frame[16 + 7], 18) << "another stage changed";
    }
}

// Every slot under test also holds these: a code whose bytes ignore the
// slot's own must not show them.
constexpr std::uint8_t kSlotModifiers = 0x22;
constexpr std::uint8_t kSlotKey = 0x33;
constexpr std::int32_t kSlotMacroOption = 0x44;
constexpr std::int32_t kSlotMacroNumber = 7;

// The three bytes of one slot j (0 to 19) holding the code, through the frame.
std::string SlotBytes(std::uint8_t code, int j) {
    auto image = std::make_unique<ShareData>();
    BuildFactoryDefaults(*image);
    ButtonData& slot = image->profiles[1].buttons[j];
    slot.function = code;
    slot.keyModifiers = kSlotModifiers;
    slot.keyCode = kSlotKey;
    slot.macroOption = kSlotMacroOption;
    slot.macroNumber = kSlotMacroNumber;
    const auto frame = EncodeButtonCommand(image->profiles[1], 1);
    return Hex(std::span(frame).subspan(3 + 3 * static_cast<std::size_t>(j), 3));
}

TEST(DeviceTables, FixedKeyCombinations) {
    // Sent as function 5 with the boot-keyboard modifier byte (1 Ctrl, 4 Alt,
    // 8 Windows) and the keyboard usage code, whatever the slot holds.
    const struct {
        const char* keys;
        std::uint8_t code;
        const char* expected;
    } kCases[] = {
        {"Ctrl+X", 64, "05 01 1B"}, {"Ctrl+C", 65, "05 01 06"},    {"Ctrl+V", 66, "05 01 19"},
        {"Ctrl+O", 67, "05 01 12"}, {"Ctrl+N", 68, "05 01 11"},    {"Ctrl+S", 69, "05 01 16"},
        {"Ctrl+P", 70, "05 01 13"}, {"Ctrl+F", 71, "05 01 09"},    {"Ctrl+Y", 72, "05 01 1C"},
        {"Ctrl+Z", 73, "05 01 1D"}, {"Ctrl+=", 74, "05 01 2E"},    {"Ctrl+-", 75, "05 01 2D"},
        {"Ctrl+A", 76, "05 01 04"}, {"Alt+Tab", 48, "05 04 2B"},   {"Windows+D", 49, "05 08 07"},
        {"Alt+F4", 50, "05 04 3D"}, {"Windows+R", 51, "05 08 15"}, {"Windows+L", 52, "05 08 0F"},
    };
    ASSERT_EQ(std::size(kCases), 18u);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.keys);
        EXPECT_EQ(SlotBytes(c.code, c.code % kButtonCount), c.expected);
    }
}

TEST(DeviceTables, SelfCodedFunctions) {
    // Sent as (code, 0, 0); 5 and 16 then carry the slot's own bytes.
    const std::uint8_t kSelfCoded[] = {1,  2,  3,  4,  5,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                       17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,
                                       32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 46};
    ASSERT_EQ(std::size(kSelfCoded), 44u);
    for (const std::uint8_t code : kSelfCoded) {
        SCOPED_TRACE("code " + std::to_string(code));
        std::string expected = Hex(std::array<std::uint8_t, 3>{code, 0, 0});
        if (code == 5) expected = "05 22 33";   // keyboard key: the slot's modifiers and key
        if (code == 16) expected = "10 44 07";  // macro: the slot's option and number
        EXPECT_EQ(SlotBytes(code, code % kButtonCount), expected);
    }
}

TEST(DeviceTables, EveryOtherCodeIsSentAsNothing) {
    // 6 is "nothing assigned"; the rest are not in the table at all.
    const struct {
        int from;
        int to;
    } kRanges[] = {{0, 0}, {6, 6}, {45, 45}, {47, 47}, {53, 63}, {77, 255}};
    for (const auto& r : kRanges) {
        for (int code = r.from; code <= r.to; ++code) {
            SCOPED_TRACE("code " + std::to_string(code));
            EXPECT_EQ(SlotBytes(static_cast<std::uint8_t>(code), code % kButtonCount), "00 00 00");
        }
    }
}

}  // namespace
}  // namespace korvid
