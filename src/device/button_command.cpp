#include "device/button_command.h"

#include <algorithm>

#include "device/macro_command.h"

namespace korvid {

ButtonBytes EncodeButtonAssignment(const ButtonData& slot) {
    ButtonBytes bytes = LookupButtonFunction(slot.function).value_or(ButtonBytes{0, 0, 0});
    if (slot.function == kFunctionMacro) {
        // A macro number outside 1..120 names no macro that a push uploaded
        // (one beyond the limit, or none yet): the button is sent unassigned.
        if (slot.macroNumber < 1 || slot.macroNumber > kMacroLimit) return ButtonBytes{0, 0, 0};
        bytes[kSlotParam1] = LowByte(slot.macroOption);
        bytes[kSlotParam2] = LowByte(slot.macroNumber);
    } else if (slot.function == kFunctionKey) {
        bytes[kSlotParam1] = slot.keyModifiers;
        bytes[kSlotParam2] = slot.keyCode;
    }
    return bytes;
}

Frame<kButtonsLength> EncodeButtonCommand(const ProfileData& profile, int k) {
    auto frame = NewFrame<ButtonsLayout>();
    frame[ButtonsLayout::kProfile] = static_cast<std::uint8_t>(k);
    for (int j = 0; j < kButtonCount; ++j) {
        const ButtonBytes bytes = EncodeButtonAssignment(profile.buttons[j]);
        std::copy(bytes.begin(), bytes.end(), frame.begin() + static_cast<std::ptrdiff_t>(ButtonsLayout::Slot(j)));
    }
    return frame;
}

}  // namespace korvid
