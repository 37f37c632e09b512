#include "device/button_command.h"

#include "device/macro_command.h"

namespace korvid {
namespace {

constexpr std::size_t kProfile = 2;
constexpr std::size_t kSlots = 3;  // three bytes per slot, slots 0 to 19

}  // namespace

ButtonBytes EncodeButtonAssignment(const ButtonData& slot) {
    ButtonBytes bytes = LookupButtonFunction(slot.function).value_or(ButtonBytes{0, 0, 0});
    if (slot.function == kFunctionMacro) {
        // A macro number outside 1..120 names no macro that a push uploaded
        // (one beyond the limit, or none yet): the button is sent unassigned.
        if (slot.macroNumber < 1 || slot.macroNumber > kMacroLimit) return ButtonBytes{0, 0, 0};
        bytes[1] = LowByte(slot.macroOption);
        bytes[2] = LowByte(slot.macroNumber);
    } else if (slot.function == kFunctionKey) {
        bytes[1] = slot.keyModifiers;
        bytes[2] = slot.keyCode;
    }
    return bytes;
}

Frame<kButtonsLength> EncodeButtonCommand(const ProfileData& profile, int k) {
    auto frame = NewFrame<kButtonsLength>(CMD_BUTTONS);
    frame[kProfile] = static_cast<std::uint8_t>(k);
    for (int j = 0; j < kButtonCount; ++j) {
        const ButtonBytes bytes = EncodeButtonAssignment(profile.buttons[j]);
        for (std::size_t b = 0; b < bytes.size(); ++b) frame[kSlots + 3 * static_cast<std::size_t>(j) + b] = bytes[b];
    }
    return frame;
}

}  // namespace korvid
