#include "customizer/key_codes.h"

#include <array>
#include <cstdio>
#include <tuple>
#include <vector>

namespace korvid {
namespace {

// Windows virtual-key codes (winuser.h), restated so that this file stays
// portable.
namespace vk {
inline constexpr std::uint8_t kBack = 0x08, kTab = 0x09, kReturn = 0x0D, kShift = 0x10, kControl = 0x11, kMenu = 0x12,
                              kPause = 0x13, kCapital = 0x14, kEscape = 0x1B, kSpace = 0x20, kPrior = 0x21,
                              kNext = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26, kRight = 0x27,
                              kDown = 0x28, kSnapshot = 0x2C, kInsert = 0x2D, kDelete = 0x2E, kLWin = 0x5B,
                              kRWin = 0x5C, kApps = 0x5D, kNumpad0 = 0x60, kMultiply = 0x6A, kAdd = 0x6B,
                              kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F, kF1 = 0x70, kF13 = 0x7C,
                              kNumLock = 0x90, kScroll = 0x91, kLShift = 0xA0, kRShift = 0xA1, kLControl = 0xA2,
                              kRControl = 0xA3, kLMenu = 0xA4, kRMenu = 0xA5, kOem1 = 0xBA, kOemPlus = 0xBB,
                              kOemComma = 0xBC, kOemMinus = 0xBD, kOemPeriod = 0xBE, kOem2 = 0xBF, kOem3 = 0xC0,
                              kOem4 = 0xDB, kOem5 = 0xDC, kOem6 = 0xDD, kOem7 = 0xDE, kOem102 = 0xE2;
}  // namespace vk

// The scan code of the right Shift key (set 1); the left one is 0x2A.
constexpr unsigned kRightShiftScanCode = 0x36;

// Names of the keys whose name is not built from a pattern. The OEM keys are
// named by the character they carry on a US layout, which is what the usage
// stands for.
// clang-format off
constexpr KeyRow kNamedKeys[] = {
    {vk::kReturn, false, 0x28, "Enter"},     {vk::kEscape, false, 0x29, "Esc"},
    {vk::kBack, false, 0x2A, "Backspace"},   {vk::kTab, false, 0x2B, "Tab"},
    {vk::kSpace, false, 0x2C, "Space"},      {vk::kOemMinus, false, 0x2D, "-"},
    {vk::kOemPlus, false, 0x2E, "="},        {vk::kOem4, false, 0x2F, "["},
    {vk::kOem6, false, 0x30, "]"},           {vk::kOem5, false, 0x31, "\\"},
    {vk::kOem1, false, 0x33, ";"},           {vk::kOem7, false, 0x34, "'"},
    {vk::kOem3, false, 0x35, "`"},           {vk::kOemComma, false, 0x36, ","},
    {vk::kOemPeriod, false, 0x37, "."},      {vk::kOem2, false, 0x38, "/"},
    {vk::kCapital, false, 0x39, "Caps Lock"},
    {vk::kSnapshot, false, 0x46, "Print Screen"}, {vk::kScroll, false, 0x47, "Scroll Lock"},
    {vk::kPause, false, 0x48, "Pause"},      {vk::kInsert, false, 0x49, "Insert"},
    {vk::kHome, false, 0x4A, "Home"},        {vk::kPrior, false, 0x4B, "Page Up"},
    {vk::kDelete, false, 0x4C, "Delete"},    {vk::kEnd, false, 0x4D, "End"},
    {vk::kNext, false, 0x4E, "Page Down"},   {vk::kRight, false, 0x4F, "Right"},
    {vk::kLeft, false, 0x50, "Left"},        {vk::kDown, false, 0x51, "Down"},
    {vk::kUp, false, 0x52, "Up"},            {vk::kNumLock, false, 0x53, "Num Lock"},
    {vk::kDivide, false, 0x54, "Num /"},     {vk::kMultiply, false, 0x55, "Num *"},
    {vk::kSubtract, false, 0x56, "Num -"},   {vk::kAdd, false, 0x57, "Num +"},
    {vk::kReturn, true, 0x58, "Num Enter"},  {vk::kDecimal, false, 0x63, "Num ."},
    {vk::kOem102, false, 0x64, "\\ (102nd key)"}, {vk::kApps, false, 0x65, "Menu"},
    {vk::kLControl, false, 0xE0, "Left Ctrl"},   {vk::kLShift, false, 0xE1, "Left Shift"},
    {vk::kLMenu, false, 0xE2, "Left Alt"},       {vk::kLWin, false, 0xE3, "Left Windows"},
    {vk::kRControl, false, 0xE4, "Right Ctrl"},  {vk::kRShift, false, 0xE5, "Right Shift"},
    {vk::kRMenu, false, 0xE6, "Right Alt"},      {vk::kRWin, false, 0xE7, "Right Windows"},
};
// clang-format on

// The names the patterned rows point at; they live as long as the program.
struct Built {
    std::vector<KeyRow> rows;
    std::vector<std::string> names;
};

// prefix followed by the number (built by appending: GCC 12 warns falsely
// about "text" + std::to_string).
std::string Numbered(const char* prefix, int number) {
    std::string name = prefix;
    name += std::to_string(number);
    return name;
}

const Built& Table() {
    static const Built built = [] {
        Built b;
        b.names.reserve(26 + 10 + 24 + 10);
        std::vector<std::tuple<std::uint8_t, std::uint8_t, std::size_t>> patterned;  // vk, usage, name index
        const auto add = [&](std::uint8_t key, std::uint8_t usage, std::string name) {
            b.names.push_back(std::move(name));
            patterned.emplace_back(key, usage, b.names.size() - 1);
        };
        for (int i = 0; i < 26; ++i) {
            add(static_cast<std::uint8_t>('A' + i), static_cast<std::uint8_t>(0x04 + i), std::string(1, 'A' + i));
        }
        for (int i = 1; i <= 9; ++i) {
            add(static_cast<std::uint8_t>('0' + i), static_cast<std::uint8_t>(0x1E + i - 1), std::to_string(i));
        }
        add('0', 0x27, "0");
        for (int i = 0; i < 12; ++i) {
            add(static_cast<std::uint8_t>(vk::kF1 + i), static_cast<std::uint8_t>(0x3A + i), Numbered("F", 1 + i));
            add(static_cast<std::uint8_t>(vk::kF13 + i), static_cast<std::uint8_t>(0x68 + i), Numbered("F", 13 + i));
        }
        for (int i = 1; i <= 9; ++i) {
            add(static_cast<std::uint8_t>(vk::kNumpad0 + i), static_cast<std::uint8_t>(0x59 + i - 1),
                Numbered("Num ", i));
        }
        add(vk::kNumpad0, 0x62, "Num 0");
        for (const auto& [key, usage, name] : patterned) b.rows.push_back({key, false, usage, b.names[name].c_str()});
        b.rows.insert(b.rows.end(), std::begin(kNamedKeys), std::end(kNamedKeys));
        return b;
    }();
    return built;
}

// The generic Shift, Ctrl and Alt keys as their left or right key.
unsigned SidedKey(const KeyStroke& key) {
    switch (key.virtualKey) {
        case vk::kShift:
            return key.scanCode == kRightShiftScanCode ? vk::kRShift : vk::kLShift;
        case vk::kControl:
            return key.extended ? vk::kRControl : vk::kLControl;
        case vk::kMenu:
            return key.extended ? vk::kRMenu : vk::kLMenu;
        default:
            return key.virtualKey;
    }
}

// The short names of the modifier bits in a combination.
constexpr const char* kModifierNames[8] = {"Ctrl",       "Shift",       "Alt",       "Windows",
                                           "Right Ctrl", "Right Shift", "Right Alt", "Right Windows"};

}  // namespace

std::span<const KeyRow> KeyTable() { return Table().rows; }

std::optional<std::uint8_t> HidUsageOfKey(const KeyStroke& key) {
    const unsigned sided = SidedKey(key);
    // Only Enter changes with the extended bit; every other key is itself
    // whatever the bit says (the arrows and the block above them have it).
    const bool extended = sided == vk::kReturn && key.extended;
    for (const KeyRow& row : KeyTable()) {
        if (row.virtualKey == sided && row.extended == extended) return row.usage;
    }
    return std::nullopt;
}

std::string KeyName(std::uint8_t usage) {
    for (const KeyRow& row : KeyTable()) {
        if (row.usage == usage) return row.name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "Key 0x%02X", usage);
    return text;
}

std::string KeyComboName(std::uint8_t modifiers, std::uint8_t usage) {
    std::string text;
    for (int bit = 0; bit < 8; ++bit) {
        if ((modifiers & (1u << bit)) == 0) continue;
        if (!text.empty()) text += '+';
        text += kModifierNames[bit];
    }
    if (usage != 0) {
        if (!text.empty()) text += '+';
        text += KeyName(usage);
    }
    return text.empty() ? "(none)" : text;
}

KeyCapture::Result KeyCapture::KeyDown(const KeyStroke& key) {
    Result result;
    const std::optional<std::uint8_t> usage = HidUsageOfKey(key);
    if (!usage) {
        char text[96];
        std::snprintf(text, sizeof text, "the key with virtual-key code 0x%02X has no USB keyboard code",
                      key.virtualKey);
        result.refusal = text;
        return result;
    }
    if (IsModifierUsage(*usage)) {
        if ((held_ & ModifierBit(*usage)) == 0) otherSinceModifier_ = false;  // not a key repeat
        held_ |= ModifierBit(*usage);
        return result;
    }
    otherSinceModifier_ = true;
    result.captured = true;
    result.modifiers = held_;
    result.keyCode = *usage;
    return result;
}

KeyCapture::Result KeyCapture::KeyUp(const KeyStroke& key) {
    Result result;
    const std::optional<std::uint8_t> usage = HidUsageOfKey(key);
    if (!usage || !IsModifierUsage(*usage) || (held_ & ModifierBit(*usage)) == 0) return result;
    if (!otherSinceModifier_) {
        result.captured = true;
        result.modifiers = held_;
        result.keyCode = 0;
    }
    held_ &= static_cast<std::uint8_t>(~ModifierBit(*usage));
    otherSinceModifier_ = held_ != 0;  // Ctrl+Shift released one by one: captured once
    return result;
}

}  // namespace korvid
