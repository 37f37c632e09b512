// CMD_BUTTONS: the assignments of all twenty button slots of one profile,
// three bytes per slot. The customizer stores a function code of its own per
// slot; ButtonFunctionTable maps each code to the three bytes the device
// takes. Codes the table does not list are sent as 00 00 00.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "config/share_data.h"
#include "device/command_frame.h"

namespace korvid {

// Function codes with a meaning of their own in the slot.
inline constexpr std::uint8_t kFunctionKey = 5;      // keyModifiers and keyCode of the slot
inline constexpr std::uint8_t kFunctionMacro = 16;   // macroOption and macroNumber of the slot
inline constexpr std::uint8_t kFunctionLaunch = 17;  // the host launches launchPath itself

// The three bytes of a slot: the function the device runs, then two
// parameters (modifiers and key code of a keyboard key, macroOption and
// macroNumber of a macro; 0 for every other function).
using ButtonBytes = std::array<std::uint8_t, 3>;
inline constexpr std::size_t kSlotFunction = 0;
inline constexpr std::size_t kSlotParam1 = 1;
inline constexpr std::size_t kSlotParam2 = 2;

struct ButtonFunction {
    std::uint8_t code;
    ButtonBytes bytes;
};

// USB HID boot-keyboard modifier bits and keyboard usage codes of the fixed
// key combinations.
namespace hid {
inline constexpr std::uint8_t kCtrl = 0x01;
inline constexpr std::uint8_t kAlt = 0x04;
inline constexpr std::uint8_t kWin = 0x08;
}  // namespace hid

// Kept in rows by hand: the formatter would give every entry a line.
// clang-format off
inline constexpr std::array<ButtonFunction, 63> ButtonFunctionTable = {{
    // Sent as themselves.
    {1, {1, 0, 0}},   {2, {2, 0, 0}},   {3, {3, 0, 0}},   {4, {4, 0, 0}},   {5, {5, 0, 0}},
    {7, {7, 0, 0}},   {8, {8, 0, 0}},   {9, {9, 0, 0}},   {10, {10, 0, 0}}, {11, {11, 0, 0}},
    {12, {12, 0, 0}}, {13, {13, 0, 0}}, {14, {14, 0, 0}}, {15, {15, 0, 0}}, {16, {16, 0, 0}},
    {17, {17, 0, 0}}, {18, {18, 0, 0}}, {19, {19, 0, 0}}, {20, {20, 0, 0}}, {21, {21, 0, 0}},
    {22, {22, 0, 0}}, {23, {23, 0, 0}}, {24, {24, 0, 0}}, {25, {25, 0, 0}}, {26, {26, 0, 0}},
    {27, {27, 0, 0}}, {28, {28, 0, 0}}, {29, {29, 0, 0}}, {30, {30, 0, 0}}, {31, {31, 0, 0}},
    {32, {32, 0, 0}}, {33, {33, 0, 0}}, {34, {34, 0, 0}}, {35, {35, 0, 0}}, {36, {36, 0, 0}},
    {37, {37, 0, 0}}, {38, {38, 0, 0}}, {39, {39, 0, 0}}, {40, {40, 0, 0}}, {41, {41, 0, 0}},
    {42, {42, 0, 0}}, {43, {43, 0, 0}}, {44, {44, 0, 0}}, {46, {46, 0, 0}},
    // "Nothing assigned".
    {6, {0, 0, 0}},
    // Fixed key combinations, sent as a keyboard key.
    {64, {kFunctionKey, hid::kCtrl, 27}},  // Ctrl+X
    {65, {kFunctionKey, hid::kCtrl, 6}},   // Ctrl+C
    {66, {kFunctionKey, hid::kCtrl, 25}},  // Ctrl+V
    {67, {kFunctionKey, hid::kCtrl, 18}},  // Ctrl+O
    {68, {kFunctionKey, hid::kCtrl, 17}},  // Ctrl+N
    {69, {kFunctionKey, hid::kCtrl, 22}},  // Ctrl+S
    {70, {kFunctionKey, hid::kCtrl, 19}},  // Ctrl+P
    {71, {kFunctionKey, hid::kCtrl, 9}},   // Ctrl+F
    {72, {kFunctionKey, hid::kCtrl, 28}},  // Ctrl+Y
    {73, {kFunctionKey, hid::kCtrl, 29}},  // Ctrl+Z
    {74, {kFunctionKey, hid::kCtrl, 46}},  // Ctrl+=
    {75, {kFunctionKey, hid::kCtrl, 45}},  // Ctrl+-
    {76, {kFunctionKey, hid::kCtrl, 4}},   // Ctrl+A
    {48, {kFunctionKey, hid::kAlt, 43}},   // Alt+Tab
    {49, {kFunctionKey, hid::kWin, 7}},    // Windows+D
    {50, {kFunctionKey, hid::kAlt, 61}},   // Alt+F4
    {51, {kFunctionKey, hid::kWin, 21}},   // Windows+R
    {52, {kFunctionKey, hid::kWin, 15}},   // Windows+L
}};
// clang-format on

// The three bytes of a function code, or nothing when the table lacks it.
constexpr std::optional<ButtonBytes> LookupButtonFunction(std::uint8_t code) {
    for (const ButtonFunction& row : ButtonFunctionTable) {
        if (row.code == code) return row.bytes;
    }
    return std::nullopt;
}

// Every row filled (code 0 is never listed) and no code twice.
constexpr bool ButtonTableIsSound() {
    for (std::size_t a = 0; a < ButtonFunctionTable.size(); ++a) {
        if (ButtonFunctionTable[a].code == 0) return false;
        for (std::size_t b = a + 1; b < ButtonFunctionTable.size(); ++b) {
            if (ButtonFunctionTable[a].code == ButtonFunctionTable[b].code) return false;
        }
    }
    return true;
}
static_assert(ButtonTableIsSound(), "ButtonFunctionTable has an empty row or a code twice");

// The three bytes of one slot. A macro button carries its macroOption and the
// macroNumber the push assigned; a keyboard key carries its own modifiers and
// key code.
ButtonBytes EncodeButtonAssignment(const ButtonData& slot);

// The 64-byte CMD_BUTTONS frame: the three bytes of slot j (0 to 19) at Slot(j).
struct ButtonsLayout {
    static constexpr std::uint8_t kCommand = CMD_BUTTONS;
    static constexpr const char* kCommandName = "CMD_BUTTONS";
    static constexpr std::size_t kLength = kButtonsLength;
    static constexpr std::size_t kProfile = 2;
    static constexpr std::size_t kSlots = 3;
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, kButtonsLength}});
    static constexpr auto kZeros = std::to_array<std::size_t>({63});

    static constexpr std::size_t Slot(int j) {
        return kSlots + std::tuple_size_v<ButtonBytes> * static_cast<std::size_t>(j);
    }
};
static_assert(ButtonsLayout::Slot(kButtonCount) == ButtonsLayout::kZeros[0]);

// The CMD_BUTTONS frame of profile k (0 to 4).
Frame<kButtonsLength> EncodeButtonCommand(const ProfileData& profile, int k);

}  // namespace korvid
