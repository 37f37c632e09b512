// Keys as the mouse sends them: the USB HID keyboard usage (Keyboard/Keypad
// page) of a Windows virtual key, the boot-keyboard modifier bits, and the
// names the customizer shows. One table serves the keyboard-key capture of
// the Buttons page and the macro recorder; a key the table lacks has no
// usage the mouse could send and is refused.
//
// Plain numbers, no <windows.h>: the window code passes the virtual key, the
// scan code and the extended-key bit of WM_KEYDOWN / WM_KEYUP.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace korvid {

// A key as a key message reports it.
struct KeyStroke {
    unsigned virtualKey = 0;  // VK_...
    unsigned scanCode = 0;    // bits 16-23 of lParam
    bool extended = false;    // bit 24 of lParam
};

struct KeyRow {
    std::uint8_t virtualKey;
    bool extended;  // only where the extended bit makes it another key (Num Enter)
    std::uint8_t usage;
    const char* name;
};

// Every key the customizer maps, one row each, left and right modifiers as
// their own keys (usages 0xE0 to 0xE7).
std::span<const KeyRow> KeyTable();

// The usage of a key, or nothing when the mouse has no code for it. The
// generic Shift, Ctrl and Alt keys resolve to left or right by the scan code
// and the extended bit.
std::optional<std::uint8_t> HidUsageOfKey(const KeyStroke& key);

// Modifier usages 0xE0..0xE7 are bits 0..7 of the modifier byte (1 left
// Ctrl, 2 left Shift, 4 left Alt, 8 left Windows, then the right ones).
inline constexpr std::uint8_t kFirstModifierUsage = 0xE0;
inline constexpr std::uint8_t kLastModifierUsage = 0xE7;
constexpr bool IsModifierUsage(std::uint8_t usage) {
    return usage >= kFirstModifierUsage && usage <= kLastModifierUsage;
}
constexpr std::uint8_t ModifierBit(std::uint8_t usage) {
    return IsModifierUsage(usage) ? static_cast<std::uint8_t>(1u << (usage - kFirstModifierUsage)) : 0;
}

// "A", "Num 5", "Left Ctrl"; "Key 0x87" for a usage the table does not name.
std::string KeyName(std::uint8_t usage);
// "Ctrl+Shift+A" ("Right Ctrl+..." for right modifiers); "Ctrl" alone when
// the key code is 0; "(none)" when both are 0.
std::string KeyComboName(std::uint8_t modifiers, std::uint8_t usage);

// The keyboard-key capture: the modifiers held and the first other key
// pressed. A modifier pressed and released alone is captured by itself
// (its bit, key code 0).
class KeyCapture {
public:
    struct Result {
        bool captured = false;
        std::uint8_t modifiers = 0;
        std::uint8_t keyCode = 0;
        std::string refusal;  // a key the mouse has no code for
    };

    Result KeyDown(const KeyStroke& key);
    Result KeyUp(const KeyStroke& key);
    // Focus lost or gained: what was held is forgotten.
    void Reset() { held_ = 0, otherSinceModifier_ = false; }

private:
    std::uint8_t held_ = 0;
    bool otherSinceModifier_ = false;
};

}  // namespace korvid
