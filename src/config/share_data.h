// The configuration image: one fixed 83,684-byte record that is at once the
// file Config.data, the contents of the shared section, the host's working
// copy and pushedImage. Every field sits at a fixed little-endian offset; the
// customizer reads and writes the same bytes, so nothing here may move.
//
// The records are plain data: copied whole with one byte copy, no resources.
// Text is UTF-16 (char16_t, two bytes on every toolchain), NUL-terminated
// inside its array. Bytes from outside (file, section) are copied in with a
// length check and then passed through RepairImage before any code indexes
// with activeProfile or eventCount.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace korvid {

inline constexpr std::size_t kImageSize = 83684;
inline constexpr std::size_t kProfileSize = 16712;
inline constexpr std::size_t kButtonSize = 748;
inline constexpr std::size_t kMacroEventSize = 4;

inline constexpr int kProfileCount = 5;
inline constexpr int kButtonCount = 20;
inline constexpr int kMaxMacroEvents = 40;
inline constexpr int kStageCount = 8;
inline constexpr int kLightSlotCount = 8;

inline constexpr std::size_t kProfileNameChars = 250;
inline constexpr std::size_t kProgramPathChars = 500;
inline constexpr std::size_t kMacroNameChars = 24;
inline constexpr std::size_t kLaunchPathChars = 260;

inline constexpr std::size_t kProfilesOffset = 8;
inline constexpr std::size_t kButtonsOffset = 1752;  // within a profile
inline constexpr std::size_t kChangeFlagsOffset = 83568;

constexpr std::size_t ProfileOffset(int k) { return kProfilesOffset + kProfileSize * static_cast<std::size_t>(k); }
constexpr std::size_t ButtonOffset(int k, int j) {
    return ProfileOffset(k) + kButtonsOffset + kButtonSize * static_cast<std::size_t>(j);
}

// A flag byte counts as set only when it holds exactly 1; 2, 0xFF and every
// other value count as clear.
constexpr bool IsFlagSet(std::uint8_t flag) { return flag == 1; }

struct MacroEvent {
    std::uint8_t key;
    std::uint8_t state;  // 1 = press, anything else = release
    std::uint16_t delay;
};

struct ButtonData {
    std::uint8_t slotIndex;
    std::uint8_t function;
    std::uint8_t keyModifiers;
    std::uint8_t keyCode;
    std::int32_t macroNumber;
    std::int32_t macroOption;
    char16_t macroName[kMacroNameChars];
    std::int32_t macroRepeat;
    std::uint16_t eventCount;
    MacroEvent events[kMaxMacroEvents];
    char16_t launchPath[kLaunchPathChars];
    std::uint8_t padding746[2];
};

struct ProfileData {
    char16_t profileName[kProfileNameChars];
    char16_t programPath[kProgramPathChars];
    std::int32_t doubleClickSpeed;
    std::int32_t wheelScrollLines;
    std::int32_t wheelScrollPage;
    std::int32_t pointerSpeed;
    std::int32_t spare1516;
    std::int32_t pointerAcceleration;
    std::int32_t spare1524;
    std::int32_t dpiOptionA;
    std::int32_t dpiOptionB;
    std::int32_t spare1536;
    std::uint8_t stageEnabled[kStageCount];
    std::int32_t dpiX[kStageCount];
    std::int32_t dpiY[kStageCount];
    std::uint8_t spare1612;
    std::uint8_t padding1613[3];
    std::int32_t currentStage;
    std::uint32_t stageColor[kStageCount];
    std::uint8_t dpiOptionC;
    std::uint8_t padding1653[3];
    std::int32_t dpiOptionD;
    std::int32_t option07;
    std::int32_t lightModeA;
    std::int32_t spare1668;
    std::int32_t lightParamA1;
    std::int32_t lightParamA2;
    std::uint32_t lightColorA;
    std::uint8_t lightSlotEnabled[kLightSlotCount];
    std::uint32_t lightSlotColor[kLightSlotCount];
    std::int32_t lightParamA3;
    std::int32_t lightModeB;
    std::int32_t spare1732;
    std::int32_t lightParamB1;
    std::int32_t lightParamB2;
    std::uint32_t lightColorB;
    std::int32_t profileOption;
    ButtonData buttons[kButtonCount];
};

struct ShareData {
    std::uint32_t spare0;
    std::int32_t activeProfile;
    ProfileData profiles[kProfileCount];
    // Change flags: set by the customizer, read by the push, never cleared
    // by the host.
    std::uint8_t activeProfileChanged;
    std::uint8_t dpiChanged[kProfileCount];
    std::uint8_t option07Changed[kProfileCount];
    std::uint8_t lightingChanged[kProfileCount];
    std::uint8_t buttonChanged[kProfileCount][kButtonCount];
};

static_assert(std::endian::native == std::endian::little, "the image is little-endian");
static_assert(sizeof(char16_t) == 2);
static_assert(std::is_trivially_copyable_v<ShareData> && std::is_standard_layout_v<ShareData>);

static_assert(sizeof(MacroEvent) == kMacroEventSize);
static_assert(offsetof(MacroEvent, key) == 0);
static_assert(offsetof(MacroEvent, state) == 1);
static_assert(offsetof(MacroEvent, delay) == 2);

static_assert(sizeof(ButtonData) == kButtonSize);
static_assert(offsetof(ButtonData, slotIndex) == 0);
static_assert(offsetof(ButtonData, function) == 1);
static_assert(offsetof(ButtonData, keyModifiers) == 2);
static_assert(offsetof(ButtonData, keyCode) == 3);
static_assert(offsetof(ButtonData, macroNumber) == 4);
static_assert(offsetof(ButtonData, macroOption) == 8);
static_assert(offsetof(ButtonData, macroName) == 12);
static_assert(offsetof(ButtonData, macroRepeat) == 60);
static_assert(offsetof(ButtonData, eventCount) == 64);
static_assert(offsetof(ButtonData, events) == 66);
static_assert(offsetof(ButtonData, launchPath) == 226);
static_assert(offsetof(ButtonData, padding746) == 746);

static_assert(sizeof(ProfileData) == kProfileSize);
static_assert(offsetof(ProfileData, profileName) == 0);
static_assert(offsetof(ProfileData, programPath) == 500);
static_assert(offsetof(ProfileData, doubleClickSpeed) == 1500);
static_assert(offsetof(ProfileData, wheelScrollLines) == 1504);
static_assert(offsetof(ProfileData, wheelScrollPage) == 1508);
static_assert(offsetof(ProfileData, pointerSpeed) == 1512);
static_assert(offsetof(ProfileData, spare1516) == 1516);
static_assert(offsetof(ProfileData, pointerAcceleration) == 1520);
static_assert(offsetof(ProfileData, spare1524) == 1524);
static_assert(offsetof(ProfileData, dpiOptionA) == 1528);
static_assert(offsetof(ProfileData, dpiOptionB) == 1532);
static_assert(offsetof(ProfileData, spare1536) == 1536);
static_assert(offsetof(ProfileData, stageEnabled) == 1540);
static_assert(offsetof(ProfileData, dpiX) == 1548);
static_assert(offsetof(ProfileData, dpiY) == 1580);
static_assert(offsetof(ProfileData, spare1612) == 1612);
static_assert(offsetof(ProfileData, padding1613) == 1613);
static_assert(offsetof(ProfileData, currentStage) == 1616);
static_assert(offsetof(ProfileData, stageColor) == 1620);
static_assert(offsetof(ProfileData, dpiOptionC) == 1652);
static_assert(offsetof(ProfileData, padding1653) == 1653);
static_assert(offsetof(ProfileData, dpiOptionD) == 1656);
static_assert(offsetof(ProfileData, option07) == 1660);
static_assert(offsetof(ProfileData, lightModeA) == 1664);
static_assert(offsetof(ProfileData, spare1668) == 1668);
static_assert(offsetof(ProfileData, lightParamA1) == 1672);
static_assert(offsetof(ProfileData, lightParamA2) == 1676);
static_assert(offsetof(ProfileData, lightColorA) == 1680);
static_assert(offsetof(ProfileData, lightSlotEnabled) == 1684);
static_assert(offsetof(ProfileData, lightSlotColor) == 1692);
static_assert(offsetof(ProfileData, lightParamA3) == 1724);
static_assert(offsetof(ProfileData, lightModeB) == 1728);
static_assert(offsetof(ProfileData, spare1732) == 1732);
static_assert(offsetof(ProfileData, lightParamB1) == 1736);
static_assert(offsetof(ProfileData, lightParamB2) == 1740);
static_assert(offsetof(ProfileData, lightColorB) == 1744);
static_assert(offsetof(ProfileData, profileOption) == 1748);
static_assert(offsetof(ProfileData, buttons) == kButtonsOffset);

static_assert(sizeof(ShareData) == kImageSize);
static_assert(offsetof(ShareData, spare0) == 0);
static_assert(offsetof(ShareData, activeProfile) == 4);
static_assert(offsetof(ShareData, profiles) == kProfilesOffset);
static_assert(offsetof(ShareData, activeProfileChanged) == kChangeFlagsOffset);
static_assert(offsetof(ShareData, dpiChanged) == 83569);
static_assert(offsetof(ShareData, option07Changed) == 83574);
static_assert(offsetof(ShareData, lightingChanged) == 83579);
static_assert(offsetof(ShareData, buttonChanged) == 83584);
static_assert(ProfileOffset(kProfileCount) == kChangeFlagsOffset);
static_assert(kChangeFlagsOffset + 1 + 3 * kProfileCount + kProfileCount * kButtonCount == kImageSize);

}  // namespace korvid
